// The application's launch to the home page with its posters drawn, as bench/home/run.sh
// measures it: the same launch as the executable's main loop, in an SDL window, with the
// resources and the data root the environment names (a fresh data root: no cached tabs, no
// cached posters) and the development service on loopback that its service.json names.
// It prints "first-frame <seconds since 1970>" once the window has shown a frame in which
// the recommend page's first visible shelf shows every poster in sight.
//
// Usage: home_start_bench   (with ORVEX_RESOURCES and ORVEX_HOME set by bench/home/run.sh)

#include "bench/support/HomePosters.h"
#include "bench/support/WindowedLaunch.h"
#include "platform/UIKit/UIWindow.h"

#include <chrono>
#include <cstdio>

namespace {

double secondsSince1970() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

} // namespace

int main() {
    WindowedLaunch launch;
    const auto& window = launch.window;
    SDLWindowHost& host = *launch.host;
    if (!host.isOpen()) {
        std::fprintf(stderr, "home_start_bench: the window could not be opened\n");
        return 1;
    }
    const auto started = std::chrono::steady_clock::now();
    bool shown = false;
    while (!shown) {
        // A pump draws after it ran what was due: a frame it presents shows what is there now.
        shown = host.pumpOnce() && homePostersDrawn(window);
        if (std::chrono::steady_clock::now() - started > std::chrono::seconds(60)) {
            std::fprintf(stderr,
                         "home_start_bench: the home page's posters did not show within 60 seconds\n");
            return 1;
        }
    }
    std::printf("first-frame %.6f\n", secondsSince1970());
    std::fflush(stdout);
    return 0;
}
