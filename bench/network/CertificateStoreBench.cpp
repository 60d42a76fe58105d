// Main-thread time of a burst of new TLS connections verified against the system's
// certificate store (run.sh builds it without sanitizers and runs it).
//
// A first screen opens several connections at once on the main loop. Each is verified
// against the system's store when no authority file is configured; the time that costs
// the main thread is measured here, in one process, against one development service on
// loopback:
//   application: BURST new connections through the main loop's transfer driver, each
//                configured as every transfer of the process is (NetworkPolicy, no
//                authority file: the system's store);
//   baseline:    the same burst with the store built again for every connection (curl's
//                store cache turned off), as when each connection read the bundle.
// Rounds alternate between the two; the medians of the main thread's processor time per
// burst are compared.
//
// The service's authority must be in the system's store for its connections to verify:
// run.sh runs the bench in a private mount namespace where the system's bundle file is
// that bundle with the service's authority added. --prepare makes the service's authority
// in DATA_DIR and prints the system bundle's path and the authority's, for run.sh to
// combine; the bench then starts the service from the same DATA_DIR.
//
// Usage: certificate_store_bench --prepare DATA_DIR
//        certificate_store_bench DATA_DIR [BURST [ROUNDS]]   (media in ORVEX_BENCH_MEDIA_DIR)

#include "bench/support/Verdict.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Network/MainLoopCurl.h"
#include "platform/Network/NetworkPolicy.h"
#include "tools/devservice/DevService.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

// At most this share of the baseline's main-thread time: the store is read once, not
// once per connection, so what is left is the handshakes' own work.
constexpr double kTarget = 0.25;

double threadProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One request on a new connection of its own.
class ConnectionTransfer final : public CurlTransfer {
  public:
    ConnectionTransfer(const std::string& url, bool rebuildStore, int& ended) : url_(url), ended_(ended) {
        NetworkPolicy::applyTo(handle());
        if (rebuildStore) {
            curl_easy_setopt(handle(), CURLOPT_CA_CACHE_TIMEOUT, 0L);
        }
        curl_easy_setopt(handle(), CURLOPT_URL, url_.c_str());
        curl_easy_setopt(handle(), CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle(), CURLOPT_FRESH_CONNECT, 1L);
        curl_easy_setopt(handle(), CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(handle(), CURLOPT_WRITEFUNCTION, &ConnectionTransfer::discard);
    }
    void finished(CURLcode result, bool) override {
        succeeded_ = result == CURLE_OK;
        ++ended_;
    }
    bool succeeded() const { return succeeded_; }

  private:
    static size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

    std::string url_;
    int& ended_;
    bool succeeded_ = false;
};

struct Burst {
    double processorSeconds = 0; // the main thread's
    double seconds = 0;
    int failures = 0;
};

Burst runBurst(const std::string& url, int connections, bool rebuildStore) {
    int ended = 0;
    std::vector<std::shared_ptr<ConnectionTransfer>> transfers;
    const double processorStart = threadProcessorSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < connections; ++i) {
        transfers.push_back(std::make_shared<ConnectionTransfer>(url, rebuildStore, ended));
        MainLoopCurl::shared().start(transfers.back());
    }
    RunLoop::main().runUntil([&] { return ended == connections; }, 60);
    Burst burst;
    burst.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    burst.processorSeconds = threadProcessorSeconds() - processorStart;
    for (const auto& transfer : transfers) {
        burst.failures += transfer->succeeded() ? 0 : 1;
    }
    return burst;
}

DevService::Options serviceOptions(const std::string& dataDir) {
    DevService::Options options;
    options.dataDir = dataDir;
    if (const char* media = std::getenv("ORVEX_BENCH_MEDIA_DIR")) {
        options.mediaDir = media;
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--prepare") {
        DevService service(serviceOptions(argv[2]));
        if (!service.start()) {
            std::fprintf(stderr, "the development service did not start: %s\n", service.lastError().c_str());
            return 1;
        }
        const char* bundle = curl_version_info(CURLVERSION_NOW)->cainfo;
        std::printf("%s %s\n", bundle != nullptr ? bundle : "", service.caFile().c_str());
        service.stop();
        return bundle != nullptr ? 0 : 1;
    }
    const int connections = argc > 2 ? std::atoi(argv[2]) : 6;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 15;
    if (argc < 2 || connections <= 0 || rounds <= 0) {
        std::fprintf(stderr,
                     "usage: certificate_store_bench --prepare DATA_DIR | DATA_DIR [BURST [ROUNDS]]\n");
        return 2;
    }

    RunLoop::main();
    DevService service(serviceOptions(argv[1]));
    if (!service.start()) {
        std::fprintf(stderr, "the development service did not start: %s\n", service.lastError().c_str());
        return 1;
    }
    service.waitForMedia(900); // no media generation while timing
    NetworkPolicy::setCertificateAuthorityFile({});
    const std::string url = "https://127.0.0.1:" + std::to_string(service.port1()) + "/down/qrcode.png";

    // The process's first burst reads the store; it also shows whether the system's
    // store holds the service's authority.
    const Burst first = runBurst(url, connections, false);
    if (first.failures != 0) {
        std::fprintf(stderr, "connections to the service did not verify against the system's store "
                             "(run the bench through run.sh, which adds the service's authority to it)\n");
        service.stop();
        return 1;
    }
    runBurst(url, connections, true);

    std::vector<double> application;
    std::vector<double> baseline;
    std::vector<double> applicationWall;
    std::vector<double> baselineWall;
    int failures = 0;
    for (int round = 0; round < rounds; ++round) {
        const Burst rebuilding = runBurst(url, connections, true);
        const Burst shared = runBurst(url, connections, false);
        baseline.push_back(rebuilding.processorSeconds);
        application.push_back(shared.processorSeconds);
        baselineWall.push_back(rebuilding.seconds);
        applicationWall.push_back(shared.seconds);
        failures += rebuilding.failures + shared.failures;
    }
    service.stop();

    const double ratio = median(application) / median(baseline);
    std::printf("burst of %d new TLS connections on the main loop, system store, median of %d rounds "
                "(failed connections: %d):\n",
                connections, rounds, failures);
    std::printf(
        "  application, the process's first burst (the store read then): main thread %.1f ms, wall %.1f "
        "ms\n",
        first.processorSeconds * 1e3, first.seconds * 1e3);
    std::printf("  application (store read once): main thread %.1f ms, wall %.1f ms\n",
                median(application) * 1e3, median(applicationWall) * 1e3);
    std::printf("  baseline (store read per connection): main thread %.1f ms, wall %.1f ms\n",
                median(baseline) * 1e3, median(baselineWall) * 1e3);
    std::printf("  ratio application / baseline (main thread): %.3f (target <= %.2f)\n", ratio, kTarget);
    const bool met = printVerdict("main-thread time of a burst of new connections with the system store",
                                  failures == 0 && ratio <= kTarget);
    return met ? 0 : 1;
}
