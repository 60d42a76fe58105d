// Helper program of the media cache benchmark (run.sh drives it):
//   make-hls FOLDER SEGMENTS            an HLS stream of SEGMENTS one-second segments
//   origin FOLDER LATENCY RATE [PATH..] serves FOLDER with LATENCY seconds per request and
//                                       RATE bytes/s per connection, failing each PATH;
//                                       prints its base address, serves until SIGTERM
//   export URL CACHE                    exports URL into CACHE; prints status and seconds
//   serve URL CACHE                     exports URL, prints its playback address, serves
//                                       until SIGTERM
#include "platform/Foundation/RunLoop.h"
#include "platform/SJMediaCacheServer/MCSAssetExporter.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "tests/support/media/MediaFixtures.h"
#include "tests/support/media/TestOrigin.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <string>

namespace {

// Blocks until the process is told to end (SIGTERM or SIGINT).
void waitForTermination() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    int received = 0;
    sigwait(&signals, &received);
}

int exportAsset(const std::string& url, const std::string& cache, bool serveAfterwards) {
    RunLoop::main();
    auto options = SJMediaCacheServer::defaultOptions();
    options.cacheRoot = cache;
    options.exportRetryDelaySeconds = 0.2;
    SJMediaCacheServer server(options);
    const auto exporter = server.exportAssetWithURL(url);
    if (!exporter) {
        std::fprintf(stderr, "not an address: %s\n", url.c_str());
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    exporter->resume();
    RunLoop::main().runUntil(
        [&] {
            return exporter->status() == MCSAssetExportStatusFinished ||
                   exporter->status() == MCSAssetExportStatusFailed;
        },
        3600);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!serveAfterwards) {
        std::printf("%s %.3f\n", exporter->status() == MCSAssetExportStatusFinished ? "finished" : "failed",
                    seconds);
        return exporter->status() == MCSAssetExportStatusFinished ? 0 : 1;
    }
    if (exporter->status() != MCSAssetExportStatusFinished) {
        return 1;
    }
    std::printf("%s\n", server.playbackURLWithURL(url)->c_str());
    std::fflush(stdout);
    waitForTermination();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Blocked in every thread, so that waitForTermination() receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make-hls" && argc == 4) {
        testmedia::HlsRecipe recipe;
        recipe.seconds = std::atof(argv[3]);
        recipe.width = 640;
        recipe.height = 360;
        recipe.videoBitrate = "1500k";
        return testmedia::makeHls(argv[2], recipe) ? 0 : 1;
    }
    if (command == "origin" && argc >= 5) {
        testmedia::TestOrigin origin(argv[2]);
        origin.setLatency(std::atof(argv[3]));
        origin.setBytesPerSecond(std::strtoull(argv[4], nullptr, 10));
        for (int i = 5; i < argc; ++i) {
            origin.failPath(argv[i], 500);
        }
        if (!origin.start()) {
            return 1;
        }
        std::printf("%s\n", origin.baseURL().c_str());
        std::fflush(stdout);
        waitForTermination();
        return 0;
    }
    if ((command == "export" || command == "serve") && argc == 4) {
        return exportAsset(argv[2], argv[3], command == "serve");
    }
    std::fprintf(stderr, "usage: see the comment at the top of MediaCacheBench.cpp\n");
    return 2;
}
