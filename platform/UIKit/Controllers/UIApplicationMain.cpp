#include "platform/Foundation/Log.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/SDLWindowHost.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

namespace {

struct LaunchOptions {
    bool headless = false;
    std::optional<std::string> screenshot;
    double screenshotDelay = 2;
    std::optional<UIScreen::Metrics> screen;
};

void printUsage(const char* program) {
    std::cerr << "usage: " << program
              << " [--headless [--screenshot FILE [--screenshot-delay SECONDS]]] [--screen "
                 "modern|classic|tablet]\n";
}

std::optional<LaunchOptions> parseOptions(int argc, char** argv) {
    LaunchOptions options;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        const bool hasValue = index + 1 < argc;
        if (argument == "--headless") {
            options.headless = true;
        } else if (argument == "--screenshot" && hasValue) {
            options.screenshot = argv[++index];
        } else if (argument == "--screenshot-delay" && hasValue) {
            char* end = nullptr;
            const std::string value = argv[++index];
            options.screenshotDelay = std::strtod(value.c_str(), &end);
            if (end == value.c_str() || *end != '\0' || options.screenshotDelay < 0) {
                return std::nullopt;
            }
        } else if (argument == "--screen" && hasValue) {
            const std::string value = argv[++index];
            if (value == "modern") {
                options.screen = UIScreen::Metrics::modern();
            } else if (value == "classic") {
                options.screen = UIScreen::Metrics::classic();
            } else if (value == "tablet") {
                options.screen = UIScreen::Metrics::tablet();
            } else {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (options.screenshot && !options.headless) {
        return std::nullopt;
    }
    return options;
}

// Window focus and minimising become the application's active and background states.
int watchWindowEvents(void*, SDL_Event* event) {
    if (event->type != SDL_WINDOWEVENT) {
        return 0;
    }
    std::optional<UIApplicationState> state;
    switch (event->window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_RESTORED:
        state = UIApplicationState::active;
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        state = UIApplicationState::inactive;
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        state = UIApplicationState::background;
        break;
    default:
        break;
    }
    if (state) {
        RunLoop::main().post(
            [state = *state] { UIApplication::sharedApplication()->hostStateChanged(state); });
    }
    return 0;
}

int runHeadless(const LaunchOptions& options) {
    HeadlessHost host;
    if (!options.screenshot) {
        RunLoop::main().run();
        return 0;
    }
    RunLoop::main().runUntil([] { return false; }, options.screenshotDelay);
    host.renderFrame();
    if (!host.writeScreenshot(*options.screenshot)) {
        consoleLog("[UIApplication] The screenshot could not be written to " + *options.screenshot);
        return 1;
    }
    return 0;
}

int runWindow() {
    SDLWindowHost host(SDLWindowHost::Options{});
    if (!host.isOpen()) {
        return 1;
    }
    SDL_AddEventWatch(&watchWindowEvents, nullptr);
    host.run();
    SDL_DelEventWatch(&watchWindowEvents, nullptr);
    return 0;
}

} // namespace

int UIApplicationMain(int argc, char** argv, const UIApplicationDelegateFactory& delegateFactory) {
    const auto options = parseOptions(argc, argv);
    if (!options) {
        printUsage(argc > 0 ? argv[0] : "orvex");
        return 2;
    }
    if (options->screen) {
        UIScreen::configureMainScreen(*options->screen);
    }
    const auto& application = UIApplication::sharedApplication();
    auto delegate = delegateFactory();
    if (!delegate) {
        consoleLog("[UIApplication] No application delegate was made");
        return 1;
    }
    application->setDelegate(delegate);
    auto window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    delegate->window = window;

    delegate->didFinishLaunchingWithOptions(*application, {});
    if (delegate->window) {
        delegate->window->makeKeyAndVisible();
        UIWindowDidBecomeVisible(*delegate->window);
    }
    application->hostStateChanged(UIApplicationState::active);
    return options->headless ? runHeadless(*options) : runWindow();
}
