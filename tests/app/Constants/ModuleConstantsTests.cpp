#include "app/Constants/ModuleConstants.h"
#include "platform/UIKit/UIScreen.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(ScreenMetrics, TallScreensKeepAHomeIndicatorAreaUnderTheTabBar) {
    const ScreenMetrics tall = ScreenMetrics::forBounds(CGRectMake(0, 0, 390, 844));
    EXPECT_TRUE(tall.isFullScreen);
    EXPECT_EQ(tall.bottomSafeHeight, 34);
    EXPECT_EQ(tall.tabBarHeight, 83);
    const ScreenMetrics edge = ScreenMetrics::forBounds(CGRectMake(0, 0, 375, 812));
    EXPECT_EQ(edge.tabBarHeight, 83);
    const ScreenMetrics classic = ScreenMetrics::forBounds(CGRectMake(0, 0, 375, 667));
    EXPECT_FALSE(classic.isFullScreen);
    EXPECT_EQ(classic.bottomSafeHeight, 0);
    EXPECT_EQ(classic.tabBarHeight, 49);
}

// The constants are computed once per process, so each screen is read in a child process
// that configures its screen first.
void expectConstantsOn(const UIScreen::Metrics& screen, CGFloat bottom, CGFloat tabBar, CGFloat statusBar) {
    EXPECT_EXIT(
        {
            UIScreen::configureMainScreen(screen);
            const bool right = screenWidth() == screen.size.width && screenHeight() == screen.size.height &&
                               bottomSafeHeight() == bottom && tabBarHeight() == tabBar &&
                               statusBarHeight() == statusBar && screenBounds().size == screen.size;
            // Kept from the first use: a later change of screen does not reach them.
            UIScreen::configureMainScreen(UIScreen::Metrics::modern());
            std::exit(right && screenHeight() == screen.size.height ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(ModuleConstants, OnA844PointScreen) {
    expectConstantsOn(UIScreen::Metrics::modern(), 34, 83, 47);
}

TEST(ModuleConstants, OnA667PointScreen) {
    expectConstantsOn(UIScreen::Metrics::classic(), 0, 49, 20);
}

TEST(ModuleConstants, KeyWindowIsTheOneKeyAtFirstUse) {
    EXPECT_EXIT(
        {
            const bool noneAtFirst = keyWindow() == nullptr;
            auto window = std::make_shared<UIWindow>();
            window->makeKeyAndVisible();
            std::exit(noneAtFirst && keyWindow() == nullptr ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            auto window = std::make_shared<UIWindow>();
            window->makeKeyAndVisible();
            std::exit(keyWindow() == window ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(ModuleConstants, AKeyWindowThatHasGoneGivesWayToTheNewOne) {
    EXPECT_EXIT(
        {
            auto first = std::make_shared<UIWindow>();
            first->makeKeyAndVisible();
            const bool firstNamed = keyWindow() == first;
            first.reset();
            auto second = std::make_shared<UIWindow>();
            second->makeKeyAndVisible();
            std::exit(firstNamed && keyWindow() == second ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST(ModuleConstants, SharedObjectsAndResources) {
    EXPECT_EQ(appVersion(), "1.0.0");
    EXPECT_EQ(&userDefaults(), &UserDefaults::standard());
    EXPECT_EQ(&mainQueue(), &DispatchQueue::main());
    ASSERT_NE(placeholderImage(), nullptr);
    EXPECT_EQ(placeholderImage(), placeholderImage());
    EXPECT_GT(placeholderImage()->size().width, 0);
}

} // namespace
