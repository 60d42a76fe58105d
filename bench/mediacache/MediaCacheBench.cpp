// Helper program of the media cache benchmark (run.sh drives it):
//   make-hls FOLDER SEGMENTS            an HLS stream of SEGMENTS one-second segments
//   origin FOLDER LATENCY RATE [PATH..] serves FOLDER with LATENCY seconds per request and
//                                       RATE bytes/s per connection, failing each PATH;
//                                       prints its base address, serves until SIGTERM
//   export URL CACHE                    exports URL into CACHE; prints status and seconds
//   serve URL CACHE                     exports URL, prints its playback address, serves
//                                       until SIGTERM
//   concat URL CACHE                    writes the segments of URL's finished export in
//                                       CACHE to standard output, in playlist order, as
//                                       the proxy serves them
#include "platform/Foundation/RunLoop.h"
#include "platform/SJMediaCacheServer/MCSAssetExporter.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "tests/support/media/MediaFixtures.h"
#include "tests/support/media/TestOrigin.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <optional>
#include <pthread.h>
#include <sstream>
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

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

std::optional<std::string> fetch(const std::string& url) {
    CURL* curl = curl_easy_init();
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    const bool ok = curl_easy_perform(curl) == CURLE_OK;
    curl_easy_cleanup(curl);
    return ok ? std::optional(std::move(body)) : std::nullopt;
}

int concatenate(const std::string& url, const std::string& cache) {
    RunLoop::main();
    auto options = SJMediaCacheServer::defaultOptions();
    options.cacheRoot = cache;
    SJMediaCacheServer server(options);
    const auto exporter = server.exportAssetWithURL(url);
    if (!exporter || exporter->status() != MCSAssetExportStatusFinished) {
        std::fprintf(stderr, "no finished export of %s\n", url.c_str());
        return 1;
    }
    const auto playlist = fetch(*server.playbackURLWithURL(url));
    if (!playlist) {
        return 1;
    }
    std::istringstream lines(*playlist);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const auto segment = fetch(line);
        if (!segment) {
            std::fprintf(stderr, "cannot read %s\n", line.c_str());
            return 1;
        }
        std::fwrite(segment->data(), 1, segment->size(), stdout);
    }
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
    if (command == "concat" && argc == 4) {
        return concatenate(argv[2], argv[3]);
    }
    if ((command == "export" || command == "serve") && argc == 4) {
        return exportAsset(argv[2], argv[3], command == "serve");
    }
    std::fprintf(stderr, "usage: see the comment at the top of MediaCacheBench.cpp\n");
    return 2;
}
