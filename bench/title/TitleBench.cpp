// From the tap on an episode to its first drawn frame on the player page, against the mpv
// command line opening the same media address with the same request headers, in the same
// run: mpv with the platform engine's settings, timed to its first picture by its own
// clock (bench/support/MpvCommandLine.h). The development service runs on loopback; the application is
// launched headless as the process entry does and the player page is opened for a title whose source needs
// the parse answer's headers, so the application's time includes the parse request, the
// decryption and the record lookups.
//
// Usage: title_bench [runs]   (with ORVEX_HOME set to an empty folder by bench/title/run.sh)
// Prints one line per run ("app <ms>", "mpv <ms>"), then the medians, their ratio and the
// verdict against the target: the application within 1.3 times mpv.

#include "MainController/Video/Controller/KKrallymultitudeViewController.h"
#include "Startup/KKdilemmaspectacularViewController.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/ServiceConfiguration.h"
#include "bench/support/HeadlessLaunch.h"
#include "bench/support/MpvCommandLine.h"
#include "bench/support/Verdict.h"
#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/host/ScreenRenderer.h"
#include "tools/devservice/DevService.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <strings.h>
#include <vector>

namespace {

using Stopwatch = std::chrono::steady_clock;

double millisecondsSince(Stopwatch::time_point start) {
    return std::chrono::duration<double, std::milli>(Stopwatch::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::filesystem::path home = Paths::dataRoot();

    DevService::Options options;
    options.dataDir = home / "devservice";
    if (const char* media = std::getenv("ORVEX_BENCH_MEDIA"); media != nullptr && *media != '\0') {
        options.mediaDir = media;
    }
    DevService service(options);
    if (!service.start() || !service.waitForMedia(300)) {
        std::fprintf(stderr, "title_bench: the development service did not start: %s\n",
                     service.lastError().c_str());
        return 1;
    }
    service.writeClientConfiguration(ServiceConfiguration::file());
    ServiceConfiguration::setCurrent(ServiceConfiguration::load());
    MediaEngineSettings::setAudioOutputEnabled(false);
    MediaEngineSettings::setCertificateAuthorityFile(ServiceConfiguration::current().caFile);

    HeadlessLaunch launch;
    auto& loop = RunLoop::main();
    loop.runPending();
    if (auto splash = std::dynamic_pointer_cast<KKdilemmaspectacularViewController>(
            launch.window->rootViewController())) {
        splash->kknickelcharacteristic();
    }
    ScreenRenderer& renderer = *launch.renderer;
    renderer.renderFrame();

    auto page = std::make_shared<KKrallymultitudeViewController>();
    page->vod_id = "1021";
    page->type = "lzm3u8";
    KKpresentationdisease::getCurrentVC()->showViewController(page, nullptr);
    const auto playing = [&] {
        auto& player = *page->player();
        return player.isPlaying() && player.playbackController()->latestFrame() != nullptr;
    };
    if (!loop.runUntil([&] { return playing() && page->list.size() > 2; }, 60)) {
        std::fprintf(stderr, "title_bench: the first episode did not play\n");
        return 1;
    }
    renderer.renderFrame();

    std::vector<double> app;
    std::vector<double> mpv;
    const auto mpvLog = home / "mpv.log";
    for (int run = 0; run < runs; ++run) {
        const long item = 1 + run % static_cast<long>(page->list.size() - 1);
        const auto indexPath = NSIndexPath::indexPathForItem(item, 0);
        const auto start = Stopwatch::now();
        page->didSelectItemAt(*page->collectionView(), indexPath);
        const auto shownMedia = [&] {
            auto asset = page->player()->URLAsset();
            return asset &&
                   asset->mediaURL().find("/1021/" + std::to_string(item + 1) + "/") != std::string::npos;
        };
        if (!loop.runUntil(
                [&] { return shownMedia() && page->player()->playbackController()->latestFrame(); }, 30)) {
            std::fprintf(stderr, "title_bench: episode %ld showed no frame\n", item + 1);
            return 1;
        }
        renderer.renderFrame();
        app.push_back(millisecondsSince(start));
        const auto asset = page->player()->URLAsset();
        // mpv on its own cannot ask the service's resolver: it is given the address the
        // name stands for (the certificate names it too).
        std::string url = asset->mediaURL();
        if (const auto host = url.find("media.orvex.test"); host != std::string::npos) {
            url.replace(host, std::string("media.orvex.test").size(), "127.0.0.1");
        }
        benchmpv::Media media;
        media.url = url;
        // The same request header fields as the engine's; mpv takes the user agent apart.
        for (const auto& [name, value] : asset->httpHeaderFields()) {
            if (strcasecmp(name.c_str(), "User-Agent") == 0) {
                media.userAgent = value;
            } else {
                media.headerFields.emplace_back(name, value);
            }
        }
        media.certificateAuthorityFile = ServiceConfiguration::current().caFile;
        const double baseline = benchmpv::firstPictureSeconds(media, mpvLog) * 1000;
        if (baseline < 0) {
            std::fprintf(stderr, "title_bench: mpv could not show %s\n", url.c_str());
            return 1;
        }
        mpv.push_back(baseline);
        std::printf("run %d: app %.1f ms, mpv %.1f ms\n", run + 1, app.back(), mpv.back());
        std::fflush(stdout);
    }
    const double appMedian = median(app);
    const double mpvMedian = median(mpv);
    constexpr double target = 1.3;
    std::printf("median: app %.1f ms, mpv %.1f ms, ratio %.2f (target %.2f or less)\n", appMedian, mpvMedian,
                appMedian / mpvMedian, target);
    printVerdict("episode start against mpv's first picture", appMedian / mpvMedian <= target);
    return 0;
}
