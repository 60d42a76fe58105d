#include "platform/Foundation/RunLoop.h"
#include "platform/SJMediaCacheServer/MCSAssetExporter.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

// Exports one address into a cache folder until it is killed or the export ends, then
// prints "<status> <error code>": the other half of the tests that a killed export
// resumes in a new process and that files which cannot be written fail an export. With a
// third argument, no file of the process may grow beyond that many bytes.
int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s CACHE_FOLDER URL [FILE_SIZE_LIMIT]\n", argv[0]);
        return 2;
    }
    if (argc == 4) {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of ending the process
        const rlimit limit{std::strtoull(argv[3], nullptr, 10), RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    RunLoop::main();
    auto options = SJMediaCacheServer::defaultOptions();
    options.cacheRoot = argv[1];
    options.exportConnections = 2;
    options.retryDelaySeconds = 0.05;
    SJMediaCacheServer server(options);
    const auto exporter = server.exportAssetWithURL(argv[2]);
    if (!exporter) {
        return 1;
    }
    exporter->resume();
    RunLoop::main().runUntil(
        [&] {
            return exporter->status() == MCSAssetExportStatusFinished ||
                   exporter->status() == MCSAssetExportStatusFailed;
        },
        120);
    const auto error = exporter->error();
    std::printf("%d %lld\n", exporter->status(), error ? static_cast<long long>(error->code) : 0LL);
    return 0;
}
