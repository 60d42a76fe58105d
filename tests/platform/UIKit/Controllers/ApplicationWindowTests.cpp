#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::vector<std::string>& calls() {
    static std::vector<std::string> log;
    return log;
}

void pushWindowEvent(SDL_WindowEventID kind) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = static_cast<Uint8>(kind);
    SDL_PushEvent(&event);
}

// Plays the desktop: the window loses the focus, is minimised, comes back, and closes.
class Delegate : public UIApplicationDelegate {
  public:
    bool didFinishLaunchingWithOptions(UIApplication&, const UIApplicationLaunchOptions&) override {
        window->setRootViewController(std::make_shared<UIViewController>());
        auto& loop = RunLoop::main();
        loop.post([] { pushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST); }, 0.2);
        loop.post([] { pushWindowEvent(SDL_WINDOWEVENT_MINIMIZED); }, 0.3);
        loop.post([] { pushWindowEvent(SDL_WINDOWEVENT_RESTORED); }, 0.4);
        loop.post(
            [] {
                SDL_Event quit{};
                quit.type = SDL_QUIT;
                SDL_PushEvent(&quit);
            },
            0.6);
        return true;
    }
    void applicationWillResignActive(UIApplication&) override { calls().push_back("resign active"); }
    void applicationDidEnterBackground(UIApplication&) override { calls().push_back("background"); }
    void applicationWillEnterForeground(UIApplication&) override { calls().push_back("foreground"); }
    void applicationDidBecomeActive(UIApplication&) override { calls().push_back("active"); }
};

} // namespace

TEST(ApplicationWindow, FocusAndMinimisingBecomeTheApplicationsStates) {
    testsupport::XvfbServer server("1024x1024x24");
    if (!server.isRunning()) {
        GTEST_SKIP() << server.error();
    }
    std::string program = "orvex";
    char* argv[] = {program.data(), nullptr};
    ASSERT_EQ(UIApplicationMain(1, argv, [] { return std::make_shared<Delegate>(); }), 0);

    const std::vector<std::string> expected{"resign active", "background", "foreground", "active"};
    auto start = std::find(calls().begin(), calls().end(), "resign active");
    ASSERT_NE(start, calls().end()) << "the lost focus was never reported";
    EXPECT_EQ(std::vector<std::string>(start, calls().end()), expected);
    EXPECT_EQ(calls().front(), "active") << "the application is active once it has launched";
}
