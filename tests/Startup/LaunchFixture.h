#pragma once

#include "Startup/AppDelegate.h"
#include "Startup/ApplicationSetup.h"
#include "Startup/KKdilemmaspectacularViewController.h"
#include "Startup/TabbarController.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

// Launches the application the way the platform's main loop does: the delegate gets a
// window of the screen's size, runs the launch sequence, the window is shown and the
// application becomes active. The splash plays the real launch video on the real engine;
// everything else runs on the virtual clock.
class LaunchTest : public testing::Test {
  protected:
    void SetUp() override {
        setUpApplication();
        testsupport::useVirtualClock();
        RunLoop::main().advance(10);
    }

    void TearDown() override {
        UIApplication::sharedApplication()->setDelegate(nullptr);
        delegate.reset();
        window.reset();
        RunLoop::main().runPending();
    }

    void launch() {
        delegate = std::make_shared<AppDelegate>();
        auto& application = *UIApplication::sharedApplication();
        application.setDelegate(delegate);
        window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
        delegate->window = window;
        delegate->didFinishLaunchingWithOptions(application, {});
        window->makeKeyAndVisible();
        UIWindowDidBecomeVisible(*window);
        application.hostStateChanged(UIApplicationState::active);
        driver.emplace(window);
        driver->runLoop();
    }

    std::shared_ptr<KKdilemmaspectacularViewController> splash() const {
        return std::dynamic_pointer_cast<KKdilemmaspectacularViewController>(window->rootViewController());
    }
    std::shared_ptr<TabbarController> mainInterface() const {
        return std::dynamic_pointer_cast<TabbarController>(window->rootViewController());
    }

    // Moves the virtual clock as a display would, laying out at every 60th of a second, so
    // that work scheduled in between sees the interface laid out.
    void playFrames(double seconds) {
        constexpr double frame = 1.0 / 60;
        for (double played = 0; played < seconds; played += frame) {
            driver->advance(frame);
        }
    }

    // Plays until the window shows the main interface (real time, for the video).
    bool waitForMainInterface(double realSeconds = 20) {
        return driver->waitUntil([this] { return mainInterface() != nullptr; }, realSeconds);
    }

    // Where the test keeps its pictures: "<build folder>/artefacts".
    static std::filesystem::path artefact(const std::string& name) {
        const char* build = std::getenv("ORVEX_BUILD_DIR");
        const std::filesystem::path folder =
            std::filesystem::path(build != nullptr ? build : testsupport::dataRoot().string()) / "artefacts";
        std::filesystem::create_directories(folder);
        return folder / name;
    }

    std::shared_ptr<AppDelegate> delegate;
    std::shared_ptr<UIWindow> window;
    std::optional<testsupport::ui::UIDriver> driver;
};
