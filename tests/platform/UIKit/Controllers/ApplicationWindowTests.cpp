#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIWindow.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

extern char** environ;

namespace {

// A private X server for the duration of a test.
class XServer {
  public:
    XServer() {
        for (int number = 290; number < 390 && display_.empty(); ++number) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            if (std::filesystem::exists(socket) ||
                std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
                continue;
            }
            const std::string name = ":" + std::to_string(number);
            const char* argv[] = {"Xvfb",         name.c_str(), "-screen", "0",
                                  "1024x1024x24", "-nolisten",  "tcp",     nullptr};
            if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
                pid_ = 0;
                return;
            }
            for (int wait = 0; wait < 500 && !std::filesystem::exists(socket); ++wait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (std::filesystem::exists(socket)) {
                display_ = name;
            } else {
                stop();
            }
        }
    }
    ~XServer() { stop(); }
    const std::string& display() const { return display_; }

  private:
    void stop() {
        if (pid_ != 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }
    pid_t pid_ = 0;
    std::string display_;
};

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
    XServer server;
    if (server.display().empty()) {
        GTEST_SKIP() << "Xvfb could not start";
    }
    setenv("DISPLAY", server.display().c_str(), 1);
    std::string program = "orvex";
    char* argv[] = {program.data(), nullptr};
    ASSERT_EQ(UIApplicationMain(1, argv, [] { return std::make_shared<Delegate>(); }), 0);

    const std::vector<std::string> expected{"resign active", "background", "foreground", "active"};
    auto start = std::find(calls().begin(), calls().end(), "resign active");
    ASSERT_NE(start, calls().end()) << "the lost focus was never reported";
    EXPECT_EQ(std::vector<std::string>(start, calls().end()), expected);
    EXPECT_EQ(calls().front(), "active") << "the application is active once it has launched";
}
