#include "platform/Foundation/RunLoop.h"
#include "platform/SJMediaCacheServer/MCSAssetExporter.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"

#include <cstdio>

// Exports one address into a cache folder until it is killed (or the export ends):
// the other half of the test that a killed export resumes in a new process.
int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s CACHE_FOLDER URL\n", argv[0]);
        return 2;
    }
    RunLoop::main();
    auto options = SJMediaCacheServer::defaultOptions();
    options.cacheRoot = argv[1];
    options.exportConnections = 2;
    SJMediaCacheServer server(options);
    const auto exporter = server.exportAssetWithURL(argv[2]);
    if (!exporter) {
        return 1;
    }
    exporter->resume();
    RunLoop::main().runUntil([&] { return exporter->status() == MCSAssetExportStatusFinished ||
                                          exporter->status() == MCSAssetExportStatusFailed; },
                             120);
    return 0;
}
