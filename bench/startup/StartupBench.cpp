// The application's start-up as the benchmark measures it: the same launch as the
// executable's main loop, in an SDL window, with the resources the environment names (the
// benchmark gives it a launch video of 20 ms). It prints
// "first-frame <seconds since 1970>" once the window has shown a frame of the main
// interface, and "idle-rss-kib <resident KiB>" after a second of idling there.
//
// Usage: startup_bench   (with ORVEX_RESOURCES and ORVEX_HOME set by bench/startup/run.sh)

#include "app/Startup/AppDelegate.h"
#include "app/Startup/ApplicationSetup.h"
#include "app/Startup/TabbarController.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/SDLWindowHost.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
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

} // namespace

int main() {
    setUpApplication();
    auto& application = *UIApplication::sharedApplication();
    auto delegate = std::make_shared<AppDelegate>();
    application.setDelegate(delegate);
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    delegate->window = window;
    delegate->didFinishLaunchingWithOptions(application, {});
    window->makeKeyAndVisible();
    UIWindowDidBecomeVisible(*window);
    application.hostStateChanged(UIApplicationState::active);

    SDLWindowHost::Options options;
    options.windowScale = UIScreen::mainScreen().scale();
    options.vsync = false;
    SDLWindowHost host(options);
    if (!host.isOpen()) {
        std::fprintf(stderr, "startup_bench: the window could not be opened\n");
        return 1;
    }
    const auto started = std::chrono::steady_clock::now();
    bool shown = false;
    while (!shown) {
        const bool presented = host.pumpOnce();
        shown = presented && std::dynamic_pointer_cast<TabbarController>(window->rootViewController());
        if (std::chrono::steady_clock::now() - started > std::chrono::seconds(30)) {
            std::fprintf(stderr, "startup_bench: the main interface did not show within 30 seconds\n");
            return 1;
        }
    }
    std::printf("first-frame %.6f\n", secondsSince1970());
    std::fflush(stdout);

    const auto idleUntil = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < idleUntil) {
        host.pumpOnce();
    }
    std::printf("idle-rss-kib %ld\n", residentKiB());
    std::fflush(stdout);
    application.setDelegate(nullptr);
    return 0;
}
