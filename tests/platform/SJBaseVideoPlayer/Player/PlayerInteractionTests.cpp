#include "platform/SJBaseVideoPlayer/Player/SJBaseVideoPlayer.h"
#include "platform/SJBaseVideoPlayer/Player/UIView+SJBaseVideoPlayerExtended.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UITapGestureRecognizer.h"
#include "tests/platform/SJBaseVideoPlayer/Player/PlayerViewTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using playerviewtest::waitFor;

const CGRect kPlayerFrame{{0, 100}, {390, 219}};
const CGPoint kPlayerMiddle{195, 210};

class PlayerInteraction : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        player = SJBaseVideoPlayer::player();
        window = playerviewtest::showInWindow(*player, kPlayerFrame);
    }

    void TearDown() override {
        window->setHidden(true);
        player.reset();
        driver.advance(1);
    }

    void startClip() {
        player->setURLAsset(SJVideoPlayerURLAsset::initWithURL(playerviewtest::clipURL(), 0));
        ASSERT_TRUE(waitFor([&] { return player->isPlaying() && player->currentTime() > 0.2; }))
            << player->playbackController()->errorDescription();
    }

    std::shared_ptr<SJBaseVideoPlayer> player;
    std::shared_ptr<UIWindow> window;
    testsupport::ui::UIDriver driver;
};

TEST_F(PlayerInteraction, LongPressPlaysFasterWhileHeldOnceSupported) {
    player->setRate(1.25f);
    driver.longPress(kPlayerMiddle, 1.0);
    EXPECT_EQ(player->rate(), 1.25f) << "long press is not among the default gestures";

    std::vector<float> rates;
    player->playbackObserver().rateDidChangeExeBlock = [&](SJBaseVideoPlayer& p) {
        rates.push_back(p.rate());
    };
    player->gestureController().setSupportedGestureTypes(player->gestureController().supportedGestureTypes() |
                                                         SJPlayerGestureTypeMask_LongPress);
    driver.advance(0.5);
    const bool appeared = player->controlLayerAppearManager().isAppeared();
    window->handleTouch(UITouchPhase::began, kPlayerMiddle, RunLoop::main().now());
    driver.advance(0.6);
    EXPECT_EQ(player->rate(), 2.0f);
    EXPECT_EQ(player->playbackController()->rate(), 2.0);
    window->handleTouch(UITouchPhase::ended, kPlayerMiddle, RunLoop::main().now());
    driver.runLoop();
    EXPECT_EQ(player->rate(), 1.25f);
    EXPECT_EQ(rates, (std::vector<float>{2.0f, 1.25f}));
    driver.advance(0.5);
    EXPECT_EQ(player->controlLayerAppearManager().isAppeared(), appeared) << "a long press is no tap";
}

TEST_F(PlayerInteraction, ATapTogglesTheControlsAfterWaitingForASecondTap) {
    SJControlLayerAppearManager& controls = player->controlLayerAppearManager();
    ASSERT_TRUE(controls.isAppeared());
    driver.tap(kPlayerMiddle);
    EXPECT_TRUE(controls.isAppeared()) << "a second tap may still come";
    driver.advance(SJPlayerGestureController::doubleTapInterval + 0.05);
    EXPECT_FALSE(controls.isAppeared());
    driver.tap(kPlayerMiddle);
    driver.advance(0.3);
    EXPECT_TRUE(controls.isAppeared());

    // Without double taps, a tap acts at once.
    player->gestureController().setSupportedGestureTypes(SJPlayerGestureTypeMask_SingleTap);
    driver.tap(kPlayerMiddle);
    EXPECT_FALSE(controls.isAppeared());
}

TEST_F(PlayerInteraction, ADoubleTapPausesForTheUserAndPlaysAgain) {
    startClip();
    bool toggled = false;
    player->controlLayerAppearManager().getObserver()->onAppearChanged = [&](auto&) { toggled = true; };
    driver.tap(kPlayerMiddle);
    driver.advance(0.1);
    driver.tap(kPlayerMiddle);
    EXPECT_TRUE(player->isPaused());
    EXPECT_TRUE(player->isUserPaused());
    driver.advance(0.5);
    EXPECT_FALSE(toggled) << "the taps of a double tap are no single taps";
    driver.tap(kPlayerMiddle);
    driver.advance(0.1);
    driver.tap(kPlayerMiddle);
    EXPECT_FALSE(player->isPaused());
}

TEST_F(PlayerInteraction, AHorizontalPanSeeksByTheShareOfTheWidthDragged) {
    startClip();
    player->pause();
    const double start = player->currentTime();
    // Half the width of a four-second media is two seconds.
    driver.drag({100, 210}, {295, 210}, 0.3, 6);
    const double target = start + 195.0 / 390.0 * player->duration();
    ASSERT_TRUE(waitFor([&] { return std::fabs(player->currentTime() - target) < 0.15; }))
        << "at " << player->currentTime() << ", wanted " << target;
    EXPECT_TRUE(player->controlLayerAppearManager().isAppeared());

    // A vertical pan on the right half lowers the volume.
    driver.drag({300, 300}, {300, 210}, 0.3, 6);
    EXPECT_NEAR(player->volume(), 1.0, 1e-6) << "upwards at full volume stays there";
    driver.drag({300, 130}, {300, 240}, 0.3, 6);
    EXPECT_NEAR(player->volume(), 1.0 - 110.0 / 219.0, 0.01);
}

TEST_F(PlayerInteraction, GoesFullScreenUprightInALandscapeWindowOfItsOwnAndBack) {
    std::vector<std::pair<bool, bool>> transitions; // (isTransitioning, isFullscreen)
    player->rotationObserver().onTransitioningChanged = [&](SJRotationManager& manager, bool transitioning) {
        transitions.emplace_back(transitioning, manager.isFullscreen());
    };
    SJRotationManager& rotation = player->rotationManager();
    EXPECT_EQ(SJRotationManager::supportedInterfaceOrientationsForWindow(window.get()),
              UIInterfaceOrientationMaskPortrait);

    rotation.rotate();
    EXPECT_TRUE(player->isFullscreen());
    EXPECT_TRUE(rotation.isTransitioning());
    driver.advance(SJRotationManager::animationDuration + 0.05);
    EXPECT_FALSE(rotation.isTransitioning());
    EXPECT_EQ(transitions, (std::vector<std::pair<bool, bool>>{{true, true}, {false, true}}));

    // The screen turned; the content fills a landscape window of its own, not turned.
    EXPECT_EQ(UIScreen::mainScreen().bounds().size, (CGSize{844, 390}));
    const auto fullscreen = rotation.fullscreenWindow();
    ASSERT_NE(fullscreen, nullptr);
    EXPECT_TRUE(fullscreen->isKeyWindow());
    EXPECT_TRUE(fullscreen->isOnScreen());
    EXPECT_EQ(fullscreen->frame(), UIScreen::mainScreen().bounds());
    auto content = player->presentView()->superview();
    EXPECT_EQ(content->window(), fullscreen.get());
    EXPECT_TRUE(CGAffineTransformIsIdentity(content->transform()));
    EXPECT_EQ(content->convertRectToView(content->bounds(), nullptr), (CGRect{{0, 0}, {844, 390}}));
    EXPECT_EQ(player->presentView()->bounds().size, (CGSize{844, 390}));
    EXPECT_EQ(SJRotationManager::supportedInterfaceOrientationsForWindow(fullscreen.get()),
              UIInterfaceOrientationMaskLandscapeLeft);
    EXPECT_EQ(SJRotationManager::supportedInterfaceOrientationsForWindow(window.get()),
              UIInterfaceOrientationMaskPortrait);
    EXPECT_EQ(window->frame().size, (CGSize{390, 844})) << "the page's window keeps its layout";
    EXPECT_FALSE(window->isOnScreen());

    // Touches reach the player in its window: a tap toggles the controls.
    driver.tap({60, 300});
    driver.advance(0.3);
    EXPECT_FALSE(player->controlLayerAppearManager().isAppeared());

    rotation.rotate();
    EXPECT_FALSE(player->isFullscreen());
    driver.advance(SJRotationManager::animationDuration + 0.05);
    EXPECT_EQ(UIScreen::mainScreen().bounds().size, (CGSize{390, 844}));
    EXPECT_EQ(content->superview(), player->view());
    EXPECT_EQ(content->frame(), player->view()->bounds());
    EXPECT_EQ(rotation.fullscreenWindow(), nullptr);
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_TRUE(fullscreen->isHidden());
    EXPECT_EQ(transitions.size(), 4u);

    // A player that goes while in full screen takes its window with it and leaves the
    // screen upright.
    rotation.rotate();
    driver.advance(SJRotationManager::animationDuration + 0.05);
    ASSERT_EQ(UIScreen::mainScreen().interfaceOrientation(), UIInterfaceOrientation::landscapeLeft);
    std::weak_ptr<UIWindow> gone = rotation.fullscreenWindow();
    player.reset();
    EXPECT_EQ(UIScreen::mainScreen().interfaceOrientation(), UIInterfaceOrientation::portrait);
    EXPECT_TRUE(gone.expired());
    EXPECT_TRUE(window->isKeyWindow());
}

// A prompt that runs out just as the player starts to grow into full screen fades and goes
// before the player has grown: the turn still ends, and the player can go back at once.
TEST_F(PlayerInteraction, APromptThatGoesDuringTheTurnDoesNotKeepThePlayerTurning) {
    player->promptingPopupController().show(NSAttributedString("设置开启跳过片头片尾"), 0.02);
    SJRotationManager& rotation = player->rotationManager();
    rotation.rotate();
    driver.advance(SJRotationManager::animationDuration + 0.05);
    EXPECT_TRUE(player->promptingPopupController().displayingViews().empty());
    EXPECT_FALSE(rotation.isTransitioning());
    rotation.rotate();
    EXPECT_FALSE(player->isFullscreen()) << "the request to leave full screen was heard";
    driver.advance(SJRotationManager::animationDuration + 0.05);
    EXPECT_EQ(rotation.fullscreenWindow(), nullptr);
}

TEST_F(PlayerInteraction, StaysInPlaceWithoutAWindowOrWhileThePageIsAway) {
    player->vc_viewWillDisappear();
    player->rotationManager().rotate();
    EXPECT_FALSE(player->isFullscreen());
    player->vc_viewDidAppear();

    auto loose = SJBaseVideoPlayer::player();
    loose->rotationManager().rotate();
    EXPECT_FALSE(loose->isFullscreen());
}

TEST_F(PlayerInteraction, PromptsStackShowForTheirTimeAndClear) {
    SJPromptingPopupController& prompts = player->promptingPopupController();
    prompts.show(NSAttributedString("first"));
    prompts.show(NSAttributedString("second"), 10);
    driver.runLoop();
    auto views = prompts.displayingViews();
    ASSERT_EQ(views.size(), 2u);
    EXPECT_LT(views[0]->frame().maxY(), views[1]->frame().minY()) << "the newest lies lowest";

    // The app's tap action on a prompt gets the tap; the player's own tap does not.
    int promptTaps = 0;
    views[1]->addGestureRecognizer(
        std::make_shared<UITapGestureRecognizer>([&](UIGestureRecognizer&) { ++promptTaps; }));
    driver.tap(views[1]);
    driver.advance(0.3);
    EXPECT_EQ(promptTaps, 1);
    EXPECT_TRUE(player->controlLayerAppearManager().isAppeared());

    driver.advance(SJPromptingPopupController::defaultDuration);
    ASSERT_EQ(prompts.displayingViews().size(), 1u);
    EXPECT_EQ(prompts.displayingViews()[0], views[1]);
    driver.advance(SJPromptingPopupController::fadeDuration + 0.05);
    EXPECT_EQ(views[0]->superview(), nullptr);

    prompts.clear();
    EXPECT_FALSE(prompts.isShowing());
    EXPECT_EQ(views[1]->superview(), nullptr);
}

} // namespace

namespace {

TEST(ViewIntersection, MeasuresHowMuchOfAViewAScrolledAreaShows) {
    auto list = std::make_shared<UIView>(CGRect{{0, 0}, {390, 700}});
    auto first = std::make_shared<UIView>(CGRect{{0, 0}, {390, 700}});
    auto second = std::make_shared<UIView>(CGRect{{0, 700}, {390, 700}});
    list->addSubview(first);
    list->addSubview(second);
    // Scrolled by 500 points: 200 of the first page and 500 of the second show.
    list->setBounds({{0, 500}, {390, 700}});
    EXPECT_EQ(intersectionWithView(*first, *list, {}).size.height, 200);
    EXPECT_EQ(intersectionWithView(*second, *list, {}), (CGRect{{0, 700}, {390, 500}}));
    EXPECT_EQ(intersectionWithView(*second, *list, {0, 0, 100, 0}).size.height, 400);
    list->setBounds({{0, 1400}, {390, 700}});
    EXPECT_TRUE(intersectionWithView(*first, *list, {}).isEmpty());
}

} // namespace
