#include "tests/Startup/LaunchFixture.h"

#include "TLCommon/TLConfigure.h"
#include "app/Base/NavigationController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Tabbar/AHLimberTabbar.h"
#include "app/Tabbar/AHLimberTabbarItem.h"
#include "crashreport/core/Tremor.h"
#include "platform/AVFoundation/mpv/MpvLibrary.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/Foundation/Paths.h"
#include "platform/IQKeyboardManager/IQKeyboardManager.h"
#include "platform/Network/NetworkPolicy.h"
#include "platform/QMUIKit/Controllers/QMUIConfiguration.h"
#include "platform/QMUIKit/Controllers/QMUIConsole.h"
#include "platform/SJBaseVideoPlayer/Player/SJRotationManager.h"
#include "platform/UIKit/Controls/UIButton.h"

#include <bitset>

namespace {

// After each launch step, its effect and those of the steps before it, read from the
// rightmost switch; each step adds exactly its own.
const std::vector<std::string> kEffectsAfterEachStep{"000001", "000011", "000111",
                                                     "001111", "011111", "111111"};

// The launch steps' effects as one set of switches, in launch order.
std::bitset<6> launchEffects(const std::shared_ptr<UIWindow>& window) {
    std::bitset<6> effects;
    effects[0] = NetworkPolicy::encryptedResolver().has_value();
    effects[1] = Tremor::startedAppId() == AppDelegate::crashReportingAppId();
    effects[2] = IQKeyboardManager::shared().enable;
    effects[3] = !QMUIConsole::appearance().canShow;
    effects[4] = TLConfigure::appKey() == "4c1f9a07d2e85b36a0f71c2e" && TLConfigure::channel() == "App Store";
    effects[5] =
        window && std::dynamic_pointer_cast<KKdilemmaspectacularViewController>(window->rootViewController());
    return effects;
}

TEST_F(LaunchTest, StepsRunInTheirOrderSeenFromTheirEffects) {
    // The SDKs start once per process, so the launch runs in a fresh child process.
    EXPECT_EXIT(
        {
            std::vector<std::string> seen;
            std::shared_ptr<UIWindow>* observedWindow = &window;
            AppDelegate::setLaunchStepObserver([&seen, observedWindow](AppDelegate::LaunchStep) {
                seen.push_back(launchEffects(*observedWindow).to_string());
            });
            const bool noneBefore = launchEffects(nullptr).none();
            launch();
            // Ends without running destructors: the child's interface is left as it is.
            std::_Exit(noneBefore && seen == kEffectsAfterEachStep && Tremor::startedAppId() == "7e3a1c94b2"
                           ? 0
                           : 1);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(LaunchTest, SplashShowsFirstAndSetsShowAD) {
    UserDefaults::standard().setBool("showAD", false);
    launch();
    ASSERT_NE(splash(), nullptr);
    EXPECT_TRUE(UserDefaults::standard().boolForKey("showAD"));
    EXPECT_TRUE(window->isKeyWindow());
    // Rotation is the player framework's to decide.
    EXPECT_EQ(
        delegate->supportedInterfaceOrientationsForWindow(*UIApplication::sharedApplication(), window.get()),
        SJRotationManager::supportedInterfaceOrientationsForWindow(window.get()));
}

TEST_F(LaunchTest, SplashIsMutedUnlessTheLaunchSoundIsOn) {
    UserDefaults::standard().removeObject("openLaunchSound");
    launch();
    EXPECT_EQ(splash()->player()->volume(), 0.0f);
    TearDown();
    SetUp();
    UserDefaults::standard().setBool("openLaunchSound", true);
    launch();
    EXPECT_EQ(splash()->player()->volume(), 1.0f);
    UserDefaults::standard().removeObject("openLaunchSound");
}

TEST_F(LaunchTest, HandOverCopiesTheAboutAdSettingIntoClearAD) {
    for (const std::optional<bool> aboutAd :
         {std::optional<bool>(true), std::optional<bool>(false), std::optional<bool>()}) {
        if (aboutAd) {
            UserDefaults::standard().setBool("about_ad", *aboutAd);
        } else {
            UserDefaults::standard().removeObject("about_ad");
        }
        UserDefaults::standard().setBool("clearAD", !aboutAd.value_or(false));
        launch();
        splash()->kknickelcharacteristic();
        ASSERT_NE(mainInterface(), nullptr);
        EXPECT_EQ(UserDefaults::standard().boolForKey("clearAD"), aboutAd.value_or(false));
        TearDown();
        SetUp();
    }
}

TEST_F(LaunchTest, MainInterfaceAppearsOnlyWhenTheVideoHasPlayedToItsEnd) {
    launch();
    const auto page = splash();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(driver->waitUntil([&] { return page->player()->currentTime() > 0.3; }, 20));
    EXPECT_EQ(mainInterface(), nullptr) << "still playing";
    const auto item = page->player()->currentItem();
    ASSERT_TRUE(waitForMainInterface());
    EXPECT_TRUE(item->hasPlayedToEnd());
    EXPECT_TRUE(window->isKeyWindow());
}

// The launch video's engine goes with the splash, and the engine's library (all of the
// decoders) with it: an idle main interface does not carry them.
TEST_F(LaunchTest, TheEngineLibraryIsGoneOnceTheMainInterfaceShows) {
    launch();
    {
        const auto page = splash();
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(driver->waitUntil([&] { return page->player()->latestFrame() != nullptr; }, 20));
        EXPECT_TRUE(MpvLibrary::isLoaded());
    }
    ASSERT_TRUE(waitForMainInterface());
    // Unloaded off the main thread, shortly after.
    EXPECT_TRUE(driver->waitUntil([] { return !MpvLibrary::isLoaded(); }, 20));
}

TEST_F(LaunchTest, ReturningToTheForegroundResumesTheSplash) {
    launch();
    const auto page = splash();
    ASSERT_TRUE(driver->waitUntil([&] { return page->player()->currentTime() > 0.2; }, 20));
    // Sent to the background, the video stops; back in the foreground it goes on.
    auto& application = *UIApplication::sharedApplication();
    application.hostStateChanged(UIApplicationState::background);
    page->player()->pause();
    EXPECT_EQ(page->player()->rate(), 0);
    application.hostStateChanged(UIApplicationState::active);
    EXPECT_GT(page->player()->rate(), 0);
    EXPECT_EQ(splash(), page);
    ASSERT_TRUE(waitForMainInterface());
}

TEST_F(LaunchTest, SplashIsReleasedWithItsPlayerAfterTheHandOver) {
    launch();
    std::weak_ptr<KKdilemmaspectacularViewController> page = splash();
    std::weak_ptr<AVPlayer> player = splash()->player();
    splash()->kknickelcharacteristic();
    driver->advance(1);
    EXPECT_EQ(page.lock(), nullptr);
    EXPECT_EQ(player.lock(), nullptr);
}

} // namespace

namespace {

class MainInterfaceTest : public LaunchTest {
  protected:
    void handOver() {
        launch();
        splash()->kknickelcharacteristic();
        ASSERT_NE(mainInterface(), nullptr);
        playFrames(1.5);
    }
    std::shared_ptr<AHLimberTabbar> bar() const {
        return std::dynamic_pointer_cast<AHLimberTabbar>(mainInterface()->tabBar());
    }
};

TEST_F(MainInterfaceTest, FourTabsInNavigationControllersUnderTheAnimatedBar) {
    handOver();
    const auto& tabs = mainInterface()->viewControllers();
    ASSERT_EQ(tabs.size(), 4u);
    const std::vector<std::string> titles{"首页", "片库", "短视频", "我的"};
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        const auto navigation = std::dynamic_pointer_cast<NavigationController>(tabs[i]);
        ASSERT_NE(navigation, nullptr);
        ASSERT_EQ(navigation->viewControllers().size(), 1u);
        EXPECT_NE(std::dynamic_pointer_cast<BaseViewController>(navigation->viewControllers()[0]), nullptr);
        EXPECT_EQ(navigation->viewControllers()[0]->title(), titles[i]);
        const auto item = std::dynamic_pointer_cast<AHLimberTabbarItem>(navigation->tabBarItem());
        ASSERT_NE(item, nullptr);
        EXPECT_TRUE(item->iconTintColor().has_value());
        EXPECT_EQ(item->backgroundColor(), hexColor("1C1B20", 1.0));
        ASSERT_NE(item->image(), nullptr);
    }
    ASSERT_NE(bar(), nullptr);
    EXPECT_EQ(bar()->items().size(), 4u);
    EXPECT_TRUE(bar()->buttons().empty());
    EXPECT_EQ(bar()->selectedTab(), bar()->tabs()[0]);
    EXPECT_EQ(bar()->frame().size.height, tabBarHeight());
}

TEST_F(MainInterfaceTest, TheDatabaseOpensInTheDocumentsFolder) {
    handOver();
    EXPECT_TRUE(std::filesystem::exists(Paths::documents() / "fflist.db"));
    EXPECT_TRUE(ASConfigration::defaultDB().ok());
    EXPECT_EQ(QMUICMI().tabBarShadowImageColor.get(), UIColor::clearColor());
}

TEST_F(MainInterfaceTest, ThePlatformBarBackgroundHidesATenthOfASecondAfterLoading) {
    launch();
    splash()->kknickelcharacteristic();
    // The platform's background class stands in as buttons here (see TabbarController).
    const auto standIn = std::make_shared<UIButton>();
    mainInterface()->tabBar()->insertSubview(standIn, 0);
    RunLoop::main().advance(0.09);
    EXPECT_FALSE(standIn->isHidden());
    RunLoop::main().advance(0.02);
    EXPECT_TRUE(standIn->isHidden());
    for (const auto& own : {std::static_pointer_cast<UIView>(bar()->backgroundView()),
                            std::static_pointer_cast<UIView>(bar()->selectedTabHolder()),
                            std::static_pointer_cast<UIView>(bar()->tabsHolderView())}) {
        EXPECT_FALSE(own->isHidden());
    }
}

class RotatingPage : public BaseViewController {
  public:
    bool shouldAutorotate() const override { return true; }
    UIInterfaceOrientationMask supportedInterfaceOrientations() const override {
        return UIInterfaceOrientationMaskAllButUpsideDown;
    }
};

TEST_F(MainInterfaceTest, RotationIsTheCurrentTabsToDecide) {
    handOver();
    EXPECT_FALSE(mainInterface()->shouldAutorotate());
    EXPECT_EQ(mainInterface()->supportedInterfaceOrientations(), UIInterfaceOrientationMaskPortrait);
    const auto navigation =
        std::dynamic_pointer_cast<NavigationController>(mainInterface()->selectedViewController());
    navigation->pushViewController(std::make_shared<RotatingPage>(), false);
    EXPECT_TRUE(mainInterface()->shouldAutorotate());
    EXPECT_EQ(mainInterface()->supportedInterfaceOrientations(), UIInterfaceOrientationMaskAllButUpsideDown);
}

TEST_F(MainInterfaceTest, TappedTabsSelectTheirPagesWithTheBubbleAbove) {
    handOver();
    ASSERT_TRUE(driver->writeScreenshot(artefact("main-tab-1.png").string()));
    for (std::size_t index : {1u, 2u, 3u, 0u}) {
        driver->tap(bar()->tabs()[index]);
        playFrames(1);
        EXPECT_EQ(mainInterface()->selectedIndex(), index);
        EXPECT_EQ(bar()->selectedTab(), bar()->tabs()[index]);
        const CGRect tab = driver->frameInWindow(bar()->tabs()[index]);
        const CGRect bubble = driver->frameInWindow(bar()->selectedTabHolder());
        EXPECT_NEAR(bubble.midX(), tab.midX(), 0.5);
        EXPECT_NEAR(bubble.minY(), tab.minY() - 10, 0.5);
        if (index != 0) {
            ASSERT_TRUE(
                driver->writeScreenshot(artefact("main-tab-" + std::to_string(index + 1) + ".png").string()));
        }
    }
}

TEST_F(LaunchTest, SplashFirstFrameFillsTheScreen) {
    launch();
    const auto page = splash();
    ASSERT_TRUE(driver->waitUntil([&] { return page->player()->latestFrame() != nullptr; }, 20));
    driver->runLoop();
    ASSERT_TRUE(driver->writeScreenshot(artefact("splash-first-frame.png").string()));
}

} // namespace
