// The application's start-up as the benchmark measures it: the same launch as the
// executable's main loop, in an SDL window, with the resources the environment names (the
// shipped launch video). It prints, each as seconds since 1970:
//   "splash-frame" once the window has shown the launch video's first picture,
//   "video-end" when the launch video has played to its end,
//   "first-frame" once the window has shown a frame of the main interface,
// and "idle-rss-kib <resident KiB>" after a second of idling there, then
// "engine-library-load-ms" for loading the media engine's library again (the launch
// video's engine let go of it with the splash). With ORVEX_SMAPS_FILE
// set, the process's memory map with its resident sizes is copied there at that moment,
// for the breakdown of where the memory goes.
//
// Usage: startup_bench   (with ORVEX_RESOURCES and ORVEX_HOME set by bench/startup/run.sh)

#include "Startup/KKdilemmaspectacularViewController.h"
#include "Startup/TabbarController.h"
#include "bench/support/WindowedLaunch.h"
#include "platform/AVFoundation/AVPlayerItem.h"
#include "platform/AVFoundation/AVPlayerLayer.h"
#include "platform/AVFoundation/mpv/MpvLibrary.h"
#include "platform/Foundation/NotificationCenter.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIWindow.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <malloc.h>
#include <string>

namespace {

double secondsSince1970() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

long threadCount() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::strtol(line.c_str() + 8, nullptr, 10);
        }
    }
    return -1;
}

// Whether the splash on screen shows a picture of its video yet.
bool splashShowsPicture(const UIWindow& window) {
    const auto splash =
        std::dynamic_pointer_cast<KKdilemmaspectacularViewController>(window.rootViewController());
    if (!splash) {
        return false;
    }
    for (const auto& layer : splash->view()->layer()->sublayers()) {
        if (const auto video = std::dynamic_pointer_cast<AVPlayerLayer>(layer);
            video && video->isReadyForDisplay()) {
            return true;
        }
    }
    return false;
}

} // namespace

int main() {
    WindowedLaunch launch;
    const auto& window = launch.window;
    SDLWindowHost& host = *launch.host;
    if (!host.isOpen()) {
        std::fprintf(stderr, "startup_bench: the window could not be opened\n");
        return 1;
    }
    double videoEnd = 0;
    auto endObserver = NotificationCenter::defaultCenter().addObserver(
        AVPlayerItemDidPlayToEndTimeNotification, [&videoEnd](const Notification&) {
            if (videoEnd == 0) {
                videoEnd = secondsSince1970();
            }
        });
    const auto started = std::chrono::steady_clock::now();
    bool splashShown = false;
    bool shown = false;
    while (!shown) {
        const bool presented = host.pumpOnce();
        if (presented && !splashShown && splashShowsPicture(*window)) {
            splashShown = true;
            std::printf("splash-frame %.6f\n", secondsSince1970());
        }
        shown = presented && std::dynamic_pointer_cast<TabbarController>(window->rootViewController());
        if (std::chrono::steady_clock::now() - started > std::chrono::seconds(30)) {
            std::fprintf(stderr, "startup_bench: the main interface did not show within 30 seconds\n");
            return 1;
        }
    }
    std::printf("video-end %.6f\n", videoEnd);
    std::printf("first-frame %.6f\n", secondsSince1970());
    std::fflush(stdout);

    const auto idleUntil = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < idleUntil) {
        host.pumpOnce();
    }
    std::printf("idle-rss-kib %ld\n", residentKiB());
    const struct mallinfo2 heap = mallinfo2();
    std::printf("idle-malloc-kib in-use %zu free %zu mapped %zu threads %ld\n", heap.uordblks / 1024,
                heap.fordblks / 1024, heap.hblkhd / 1024, threadCount());
    if (const char* smaps = std::getenv("ORVEX_SMAPS_FILE"); smaps != nullptr) {
        std::ofstream(smaps) << std::ifstream("/proc/self/smaps").rdbuf();
    }
    // The launch video's engine library went with the splash; the first playback after
    // that loads it again. How long that load takes:
    if (MpvLibrary::isLoaded()) {
        std::printf("engine-library still loaded\n");
    } else {
        const auto loadStart = std::chrono::steady_clock::now();
        std::string error;
        const auto library = MpvLibrary::acquire(error);
        std::printf(
            "engine-library-load-ms %.1f%s\n",
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loadStart).count(),
            library ? "" : " (failed)");
    }
    std::fflush(stdout);
    return 0;
}
