// From the end of a swipe in the short-video feed to the first drawn picture of the next
// video: with that video prefetched through the media cache proxy, as the feed does while
// the current video plays, against the same swipe after the proxy's cache was emptied
// (no prefetch), and against the mpv command-line player's own time to its first picture
// of the same kind of address straight from the origin (run with the platform engine's
// settings, bench/support/MpvCommandLine.h). Target: the prefetched video shows its
// first picture no later than mpv shows one. Everything runs in one process
// against one loopback origin that waits a fixed time before each answer.
//   shorts_bench FOLDER ROUNDS LATENCY_MS
// FOLDER holds an HLS stream (index.m3u8 and its segments), served as /short/<n>/ for
// every n, so that each video of the feed is a media of its own. The swipe is taken as
// instant: the next cell appears and comes to rest at once, so the loading that a real
// swipe overlaps with the finger's movement is counted in full.
#include "MainController/Video/Cell/KKlenscontaminate.h"
#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "Startup/ApplicationSetup.h"
#include "bench/support/MpvCommandLine.h"
#include "bench/support/Verdict.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/HeadlessHost.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "shorts_bench: %s\n", message.c_str());
    std::exit(1);
}

// The origin: the stream under /short/<n>/ for n in 1..count, each answer after a delay.
class Origin {
  public:
    Origin(const std::filesystem::path& folder, int count, int latencyMs) {
        server_.new_task_queue = [] { return new httplib::ThreadPool(16); };
        server_.set_keep_alive_timeout(1);
        for (int n = 1; n <= count; ++n) {
            server_.set_mount_point("/short/" + std::to_string(n), folder.string());
        }
        server_.set_pre_routing_handler(
            [this, latencyMs](const httplib::Request& request, httplib::Response&) {
                std::this_thread::sleep_for(std::chrono::milliseconds(latencyMs));
                std::lock_guard lock(mutex_);
                served_.insert(request.path);
                return httplib::Server::HandlerResponse::Unhandled;
            });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    ~Origin() {
        server_.stop();
        thread_.join();
    }

    std::string address(int n) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/short/" + std::to_string(n) + "/index.m3u8";
    }
    bool served(const std::string& path) {
        std::lock_guard lock(mutex_);
        return served_.contains(path);
    }

  private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::set<std::string> served_;
};

std::shared_ptr<KKlenscontaminate> cellAt(KKcandyleanViewController& page, long item) {
    return std::dynamic_pointer_cast<KKlenscontaminate>(
        page.collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(item, 0)));
}

// Runs the interface as a display would, a frame each 60th of a second, until `done` or
// `seconds` have passed; answers whether `done` became true.
bool runUntil(HeadlessHost& host, const std::function<bool()>& done, double seconds) {
    const auto deadline = SteadyClock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (SteadyClock::now() > deadline) {
            return false;
        }
        host.renderFrame();
        RunLoop::main().runUntil(done, 1.0 / 60);
    }
    return true;
}

bool showsPicture(KKcandyleanViewController& page, long item) {
    const auto cell = cellAt(page, item);
    return cell && cell->player()->playbackController()->latestFrame() != nullptr;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FOLDER ROUNDS LATENCY_MS\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const int rounds = std::max(1, std::atoi(argv[2]));
    const int latencyMs = std::max(0, std::atoi(argv[3]));
    const int videos = 2 * rounds + 2;
    Origin origin(folder, videos + rounds, latencyMs);

    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
    setUpApplication();
    SJMediaCacheServer::shared().setResolveAssetIdentifier(&KKcandyleanViewController::assetIdentifier);

    auto page = std::make_shared<KKcandyleanViewController>();
    page->isShowFull = true;
    for (int n = 1; n <= videos; ++n) {
        const std::string json =
            R"({"vid": "v)" + std::to_string(n) + R"(", "play_addr": ")" + origin.address(n) + "\"}";
        page->list.push_back(std::make_shared<KKcontrastpierce>(JSON::parse(json)));
    }
    HeadlessHost host;
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    window->setRootViewController(page);
    window->makeKeyAndVisible();
    UIWindowDidBecomeVisible(*window);
    UIApplication::sharedApplication()->hostStateChanged(UIApplicationState::active);
    if (!runUntil(
            host, [&] { return showsPicture(*page, 0); }, 30)) {
        fail("the first video shows no picture");
    }

    std::vector<double> prefetched;
    std::vector<double> cold;
    for (int swipe = 0; swipe < 2 * rounds; ++swipe) {
        const long current = swipe;
        const long next = current + 1;
        // The feed prefetches the next video while this one plays: wait until the origin
        // has sent its last segment, and a little more for the bytes to land.
        const std::string last = "/short/" + std::to_string(next + 1) + "/seg002.ts";
        if (!runUntil(
                host, [&] { return origin.served(last); }, 30)) {
            fail("the next video was not prefetched");
        }
        runUntil(
            host, [] { return false; }, 0.2);
        const bool withPrefetch = swipe % 2 == 0;
        if (!withPrefetch) {
            SJMediaCacheServer::shared().removeAllRemovableCaches();
        }

        const auto& list = page->collectionView();
        const auto start = SteadyClock::now();
        list->setContentOffset({0, list->bounds().size.height * static_cast<double>(next)});
        list->layoutIfNeeded();
        page->didEndDecelerating(*list);
        if (!runUntil(
                host, [&] { return showsPicture(*page, next); }, 30)) {
            fail("the next video shows no picture");
        }
        const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
        (withPrefetch ? prefetched : cold).push_back(seconds);
    }

    std::vector<double> mpv;
    const std::string log = (std::filesystem::temp_directory_path() / "shorts-bench-mpv.log").string();
    for (int round = 0; round < rounds; ++round) {
        const double seconds =
            benchmpv::firstPictureSeconds({origin.address(videos + 1 + round), {}, {}, {}}, log);
        if (seconds < 0) {
            fail("mpv showed no picture");
        }
        mpv.push_back(seconds);
    }
    std::remove(log.c_str());

    const double withMs = median(prefetched) * 1000;
    const double coldMs = median(cold) * 1000;
    const double mpvMs = median(mpv) * 1000;
    std::printf("origin latency per request: %d ms, %d swipes each (median)\n", latencyMs, rounds);
    std::printf("swipe end to first picture, prefetched:      %8.1f ms\n", withMs);
    std::printf("swipe end to first picture, no prefetch:     %8.1f ms  (%.2fx the prefetched)\n", coldMs,
                withMs > 0 ? coldMs / withMs : 0);
    std::printf("mpv command line, start to first picture:   %8.1f ms  (%.2fx the prefetched)\n", mpvMs,
                withMs > 0 ? mpvMs / withMs : 0);
    constexpr double target = 1.0;
    std::printf("prefetched / mpv: %.2f (target %.1f or less)\n", withMs / mpvMs, target);
    printVerdict("prefetched swipe against mpv's first picture", withMs <= target * mpvMs);

    window->setRootViewController(nullptr);
    window.reset();
    page.reset();
    RunLoop::main().runUntil([] { return false; }, 0.5);
    return 0;
}
