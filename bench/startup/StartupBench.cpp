// The application's start-up as the benchmark measures it: the same launch as the
// executable's main loop, in an SDL window, with the resources the environment names (the
// shipped launch video). It prints, each as seconds since 1970:
//   "splash-frame" once the window has shown the launch video's first picture,
//   "video-end" when the launch video has played to its end,
//   "first-frame" once the window has shown a frame of the main interface,
// and with --home (the data root's service.json naming a service) also "home-frame" once a
// frame shows the home page's posters. Then it lets the interface settle (a second; ten on
// the home page, so that the work its loading started is over), sleeping as the
// executable's loop sleeps, and prints "idle-rss-kib <resident KiB>", the allocator's figures and where the
// pictures' memory goes ("idle-pixels-kib"); with
// --idle SECONDS it then idles that long and prints the wake-ups of all its threads, the
// wake-ups in the spans without frames (between the banner's turns) and the CPU used
// ("idle-activity"). Last, "engine-library-load-ms" for loading the media engine's library
// again (the launch video's engine let go of it with the splash). With ORVEX_SMAPS_FILE
// set, the process's memory map with its resident sizes is copied there at the memory
// measurement, for the breakdown of where the memory goes.
//
// Usage: startup_bench [--home] [--idle SECONDS]
//        (with ORVEX_RESOURCES and ORVEX_HOME set by bench/startup/run.sh)

#include "Startup/KKdilemmaspectacularViewController.h"
#include "Startup/TabbarController.h"
#include "bench/support/HomePosters.h"
#include "bench/support/WindowedLaunch.h"
#include "platform/AVFoundation/AVPlayerItem.h"
#include "platform/AVFoundation/AVPlayerLayer.h"
#include "platform/AVFoundation/mpv/MpvLibrary.h"
#include "platform/Foundation/NotificationCenter.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/QuartzCore/LayerRenderState.h"
#include "platform/SDWebImage/SDImageCache.h"
#include "platform/UIKit/UIWindow.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>

namespace {

using SteadyClock = std::chrono::steady_clock;

double secondsSince1970() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

long statusField(const std::string& path, const char* field) {
    std::ifstream status(path);
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0) {
            return std::strtol(line.c_str() + length, nullptr, 10);
        }
    }
    return 0;
}

// Times any thread of the process left the processor (slept or was preempted) so far:
// each is a wake-up when it runs again. Threads that ended meanwhile are not counted.
long contextSwitches() {
    long total = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        const std::string status = (task.path() / "status").string();
        total += statusField(status, "voluntary_ctxt_switches:") +
                 statusField(status, "nonvoluntary_ctxt_switches:");
    }
    return total;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) { return time.tv_sec + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double secondsBetween(SteadyClock::time_point from, SteadyClock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
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

// Bytes of the content rasters the compositor keeps for the layers on screen.
std::size_t rasterBytes(CALayer& layer) {
    std::size_t total = 0;
    if (cairo_surface_t* content = layer.renderState().content) {
        total += static_cast<std::size_t>(cairo_image_surface_get_stride(content)) *
                 static_cast<std::size_t>(cairo_image_surface_get_height(content));
    }
    for (const auto& sublayer : layer.sublayers()) {
        total += rasterBytes(*sublayer);
    }
    return total;
}

// Runs the window loop until `until`, waiting as the executable's loop waits.
void pumpUntil(SDLWindowHost& host, SteadyClock::time_point until) {
    for (auto now = SteadyClock::now(); now < until; now = SteadyClock::now()) {
        host.pumpOnce(secondsBetween(now, until));
    }
}

// Idles for `seconds` and prints the wake-ups and the CPU used: in all, and in the quiet
// spans, which start half a second after a frame was drawn (when drawing it is over, also
// on the renderer's threads) and end when the loop wakes for the next frame (that wake-up
// belongs to the frame).
void measureIdle(SDLWindowHost& host, double seconds) {
    constexpr auto kDrawingOver = std::chrono::milliseconds(500);
    const auto start = SteadyClock::now();
    const auto end =
        start + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
    const long switchesAtStart = contextSwitches();
    const double cpuAtStart = cpuSeconds();
    long frames = 0;
    auto lastFrame = start;
    bool quiet = false;
    SteadyClock::time_point quietSince;
    long switchesAtQuiet = 0;
    double quietSeconds = 0;
    long quietSwitches = 0;
    for (auto now = SteadyClock::now(); now < end; now = SteadyClock::now()) {
        // Wakes once when a quiet span is due to start, so that it starts on time.
        auto until = end;
        if (!quiet && lastFrame + kDrawingOver > now) {
            until = std::min(until, lastFrame + kDrawingOver);
        }
        const long switchesBefore = quiet ? contextSwitches() : 0;
        const auto before = SteadyClock::now();
        if (host.pumpOnce(secondsBetween(now, until))) {
            ++frames;
            lastFrame = SteadyClock::now();
            if (quiet) {
                quiet = false;
                quietSeconds += secondsBetween(quietSince, before);
                quietSwitches += switchesBefore - switchesAtQuiet;
            }
        } else if (!quiet && SteadyClock::now() >= lastFrame + kDrawingOver) {
            quiet = true;
            quietSince = SteadyClock::now();
            switchesAtQuiet = contextSwitches();
        }
    }
    const auto stop = SteadyClock::now();
    const long switches = contextSwitches();
    const double cpu = cpuSeconds() - cpuAtStart;
    if (quiet) {
        quietSeconds += secondsBetween(quietSince, stop);
        quietSwitches += switches - switchesAtQuiet;
    }
    const double wall = secondsBetween(start, stop);
    std::printf("idle-activity seconds %.1f wakeups-per-s %.1f quiet-seconds %.1f quiet-wakeups-per-s %.1f "
                "cpu-percent %.2f frames %ld\n",
                wall, (switches - switchesAtStart) / wall, quietSeconds,
                quietSeconds > 0 ? quietSwitches / quietSeconds : 0.0, 100 * cpu / wall, frames);
}

} // namespace

int main(int argc, char** argv) {
    bool toHome = false;
    double idleSeconds = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0) {
            toHome = true;
        } else if (std::strcmp(argv[i], "--idle") == 0 && i + 1 < argc) {
            idleSeconds = std::atof(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: startup_bench [--home] [--idle SECONDS]\n");
            return 2;
        }
    }
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
    const auto started = SteadyClock::now();
    bool splashShown = false;
    bool shown = false;
    while (!shown) {
        const bool presented = host.pumpOnce();
        if (presented && !splashShown && splashShowsPicture(*window)) {
            splashShown = true;
            std::printf("splash-frame %.6f\n", secondsSince1970());
        }
        shown = presented && std::dynamic_pointer_cast<TabbarController>(window->rootViewController());
        if (SteadyClock::now() - started > std::chrono::seconds(30)) {
            std::fprintf(stderr, "startup_bench: the main interface did not show within 30 seconds\n");
            return 1;
        }
    }
    std::printf("video-end %.6f\n", videoEnd);
    std::printf("first-frame %.6f\n", secondsSince1970());
    std::fflush(stdout);
    if (toHome) {
        // A pump draws after it ran what was due: a frame it presents shows what is there now.
        while (!(host.pumpOnce() && homePostersDrawn(window))) {
            if (SteadyClock::now() - started > std::chrono::seconds(60)) {
                std::fprintf(stderr,
                             "startup_bench: the home page's posters did not show within 60 seconds\n");
                return 1;
            }
        }
        std::printf("home-frame %.6f\n", secondsSince1970());
        std::fflush(stdout);
    }

    // Settled: the start-up's work is over and the loop has slept at least once.
    pumpUntil(host, SteadyClock::now() + std::chrono::seconds(toHome ? 10 : 1));
    std::printf("idle-rss-kib %ld\n", statusField("/proc/self/status", "VmRSS:"));
    const struct mallinfo2 heap = mallinfo2();
    std::printf("idle-malloc-kib in-use %zu free %zu mapped %zu threads %ld\n", heap.uordblks / 1024,
                heap.fordblks / 1024, heap.hblkhd / 1024, statusField("/proc/self/status", "Threads:"));
    const ScreenRenderer& screen = host.screen();
    std::printf("idle-pixels-kib screen-image %d layer-rasters %zu image-cache %zu\n",
                screen.pixelWidth() * screen.pixelHeight() * 4 / 1024,
                rasterBytes(screen.screenLayer()) / 1024,
                SDImageCache::sharedImageCache().memoryCache().totalCost() / 1024);
    if (const char* smaps = std::getenv("ORVEX_SMAPS_FILE"); smaps != nullptr) {
        std::ofstream(smaps) << std::ifstream("/proc/self/smaps").rdbuf();
    }
    std::fflush(stdout);
    if (idleSeconds > 0) {
        measureIdle(host, idleSeconds);
        std::printf("idle-rss-kib-after %ld\n", statusField("/proc/self/status", "VmRSS:"));
    }
    // The launch video's engine library went with the splash; the first playback after
    // that loads it again. How long that load takes:
    if (MpvLibrary::isLoaded()) {
        std::printf("engine-library still loaded\n");
    } else {
        const auto loadStart = SteadyClock::now();
        std::string error;
        const auto library = MpvLibrary::acquire(error);
        std::printf("engine-library-load-ms %.1f%s\n", 1000 * secondsBetween(loadStart, SteadyClock::now()),
                    library ? "" : " (failed)");
    }
    std::fflush(stdout);
    return 0;
}
