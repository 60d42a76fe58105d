#include "platform/SJVideoPlayer/SJMoreSettingsPanel.h"
#include "platform/SJVideoPlayer/SJVideoPlayer.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "tests/platform/SJBaseVideoPlayer/Player/PlayerViewTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

using playerviewtest::waitFor;

const CGRect kPlayerFrame{{0, 100}, {390, 219}};
const CGPoint kPlayerMiddle{195, 210};

class VideoPlayer : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        player = SJVideoPlayer::player();
        window = playerviewtest::showInWindow(*player, kPlayerFrame);
    }

    void TearDown() override {
        window->setHidden(true);
        player.reset();
        driver.advance(1);
    }

    void startClip(double start = 0) {
        player->setURLAsset(SJVideoPlayerURLAsset::initWithURL(playerviewtest::clipURL(), start));
        ASSERT_TRUE(waitFor([&] { return player->isPlaying() && player->currentTime() > start + 0.2; }))
            << player->playbackController()->errorDescription();
        driver.runLoop();
    }

    SJEdgeControlLayer& controls() { return *player->defaultEdgeControlLayer(); }

    // Writes the screen into the build's artefacts folder when ORVEX_KEEP_SCREENSHOTS is set.
    void keepScreenshot(const std::string& name) {
        if (std::getenv("ORVEX_KEEP_SCREENSHOTS") == nullptr) {
            return;
        }
        const char* build = std::getenv("ORVEX_BUILD_DIR");
        const auto folder = std::filesystem::path(build != nullptr ? build : ".") / "artefacts";
        std::filesystem::create_directories(folder);
        driver.writeScreenshot((folder / (name + ".png")).string());
    }

    std::vector<SJEdgeControlButtonItemTag> bottomTags() {
        std::vector<SJEdgeControlButtonItemTag> tags;
        for (const auto& item : controls().bottomAdapter()->items()) {
            tags.push_back(item->tag());
        }
        return tags;
    }

    std::string itemText(const std::shared_ptr<SJEdgeControlButtonItemAdapter>& adapter,
                         SJEdgeControlButtonItemTag tag) {
        auto item = adapter->itemForTag(tag);
        return item && item->title() ? item->title()->string() : std::string();
    }

    std::shared_ptr<SJVideoPlayer> player;
    std::shared_ptr<UIWindow> window;
    testsupport::ui::UIDriver driver;
};

TEST_F(VideoPlayer, TheFullScreenBarGetsAndLosesThePagesItems) {
    // As the player page does: a speed item and an episodes item, each put where the
    // full-screen item was, while full screen lasts.
    auto speed = std::make_shared<UIView>(CGRect{{0, 0}, {40, 20}});
    auto episodes = std::make_shared<UIView>(CGRect{{0, 0}, {40, 20}});
    std::weak_ptr<SJVideoPlayer> weak = player;
    player->rotationObserver().onTransitioningChanged = [&, weak](SJRotationManager& rotation,
                                                                  bool transitioning) {
        auto page = weak.lock();
        if (!transitioning || !page) {
            return;
        }
        auto bottom = page->defaultEdgeControlLayer()->bottomAdapter();
        if (rotation.isFullscreen()) {
            bottom->addItem(SJEdgeControlButtonItem::initWithCustomView(speed, 1000));
            bottom->exchangeItemForTag(SJEdgeControlLayerBottomItem_Full, 1000);
            auto item = SJEdgeControlButtonItem::initWithCustomView(episodes, 1002);
            item->setInsets(SJEdgeInsetsMake(12, 0));
            bottom->addItem(item);
            bottom->exchangeItemForTag(SJEdgeControlLayerBottomItem_Full, 1002);
        } else {
            bottom->removeItemForTag(1000);
            bottom->removeItemForTag(1002);
        }
        bottom->reload();
    };

    driver.tap(controls().bottomAdapter()->viewForItemWithTag(SJEdgeControlLayerBottomItem_Full));
    driver.advance(SJRotationManager::animationDuration + 0.05);
    ASSERT_TRUE(player->isFullscreen());
    using Tags = std::vector<SJEdgeControlButtonItemTag>;
    EXPECT_EQ(bottomTags(),
              (Tags{SJEdgeControlLayerBottomItem_Play, SJEdgeControlLayerBottomItem_CurrentTime,
                    SJEdgeControlLayerBottomItem_Separator, SJEdgeControlLayerBottomItem_DurationTime,
                    SJEdgeControlLayerBottomItem_Progress, 1000, 1002, SJEdgeControlLayerBottomItem_Full}));
    auto full = controls().bottomAdapter()->viewForItemWithTag(SJEdgeControlLayerBottomItem_Full);
    EXPECT_LT(speed->frame().maxX() + 12, episodes->frame().maxX());
    EXPECT_LE(episodes->frame().maxX(), full->frame().minX());
    // The bar spans the landscape width, clear of the turned status bar.
    EXPECT_NEAR(controls().bottomAdapter()->frame().size.width,
                844 - 2 * SJRotationManager::landscapeSafeAreaInsets().left, 1e-6);
    keepScreenshot("video-player-fullscreen");

    // In full screen the back item leaves full screen.
    driver.tap(controls().topAdapter()->viewForItemWithTag(SJEdgeControlLayerTopItem_Back));
    driver.advance(SJRotationManager::animationDuration + 0.05);
    EXPECT_FALSE(player->isFullscreen());
    EXPECT_EQ(controls().bottomAdapter()->itemForTag(1000), nullptr);
    EXPECT_EQ(controls().bottomAdapter()->itemForTag(1002), nullptr);
    EXPECT_EQ(speed->superview(), nullptr);
}

TEST_F(VideoPlayer, TheMoreItemOffersRatesInFullScreenWhenSwitchedOn) {
    auto more = controls().topAdapter()->itemForTag(SJEdgeControlLayerTopItem_More);
    player->rotationManager().rotate();
    driver.advance(SJRotationManager::animationDuration + 0.05);
    EXPECT_FALSE(more->isVisible()) << "off unless switched on";
    controls().setShowsMoreItem(true);
    EXPECT_TRUE(more->isVisible());

    player->setRate(1.25f);
    driver.tap(controls().topAdapter()->viewForItemWithTag(SJEdgeControlLayerTopItem_More));
    auto panel = driver.findByClass<SJMoreSettingsPanel>();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(player->controlLayerAppearManager().isAppeared()) << "the bars make way for the panel";
    const auto& rates = SJMoreSettingsPanel::rates();
    const auto current = std::find(rates.begin(), rates.end(), 1.25f) - rates.begin();
    EXPECT_EQ(panel->rateButtons()[current]->currentTitleColor(),
              SJVideoPlayerResources::shared().progressTraceColor);
    driver.tap(panel->rateButtons()[4]);
    EXPECT_EQ(player->rate(), rates[4]);
    EXPECT_EQ(panel->superview(), nullptr);

    player->rotationManager().rotate();
    driver.advance(SJRotationManager::animationDuration + 0.05);
    EXPECT_FALSE(more->isVisible()) << "full screen only";
}

TEST_F(VideoPlayer, ControlsHideAfterTheIntervalWhilePlayingAndATapShowsThem) {
    player->controlLayerAppearManager().setInterval(5);
    controls().setHiddenBottomProgressIndicator(false);
    startClip();
    driver.advance(4.5);
    EXPECT_TRUE(player->controlLayerAppearManager().isAppeared());
    driver.advance(0.6 + SJEdgeControlLayer::appearDuration);
    EXPECT_FALSE(player->controlLayerAppearManager().isAppeared());
    EXPECT_EQ(controls().bottomAdapter()->alpha(), 0);
    EXPECT_EQ(controls().bottomProgressIndicator()->alpha(), 1);
    EXPECT_EQ(window->hitTest({20, 300}, nullptr), controls().sharedView()) << "hidden items take no taps";

    driver.tap(kPlayerMiddle);
    driver.advance(0.3 + SJEdgeControlLayer::appearDuration);
    EXPECT_TRUE(player->controlLayerAppearManager().isAppeared());
    EXPECT_EQ(controls().bottomAdapter()->alpha(), 1);
    EXPECT_EQ(controls().bottomProgressIndicator()->alpha(), 0);

    // Paused, the controls stay.
    driver.tap(controls().bottomAdapter()->viewForItemWithTag(SJEdgeControlLayerBottomItem_Play));
    EXPECT_TRUE(player->isUserPaused());
    driver.advance(10);
    EXPECT_TRUE(player->controlLayerAppearManager().isAppeared());
}

TEST_F(VideoPlayer, ShowsTitleTimesAndProgressAndReplaysAtTheEnd) {
    auto asset = SJVideoPlayerURLAsset::initWithURL(playerviewtest::streamURL(), 1.5);
    asset->setTitle("第一集");
    player->setURLAsset(asset);
    EXPECT_EQ(itemText(controls().topAdapter(), SJEdgeControlLayerTopItem_Title), "第一集");
    ASSERT_TRUE(waitFor([&] { return player->isPlaying() && player->currentTime() > 1.7; }));
    driver.runLoop();
    EXPECT_EQ(itemText(controls().bottomAdapter(), SJEdgeControlLayerBottomItem_DurationTime), "00:03");
    EXPECT_EQ(itemText(controls().bottomAdapter(), SJEdgeControlLayerBottomItem_CurrentTime).substr(0, 4),
              "00:0");
    EXPECT_NEAR(controls().progressSlider()->value(), player->currentTime(), 0.6);
    EXPECT_NEAR(controls().progressSlider()->maxValue(), 3, 0.25);
    // The loaded range.
    ASSERT_TRUE(waitFor([&] { return player->playableDuration() > 1; }));
    driver.runLoop();
    EXPECT_NEAR(controls().progressSlider()->bufferProgress(),
                player->playableDuration() / player->duration(), 1e-9);
    auto replay = controls().centerAdapter()->itemForTag(SJEdgeControlLayerCenterItem_Replay);
    EXPECT_FALSE(replay->isVisible());

    ASSERT_TRUE(waitFor([&] { return player->isPlaybackFinished(); }));
    driver.runLoop();
    EXPECT_TRUE(replay->isVisible());
    EXPECT_EQ(itemText(controls().bottomAdapter(), SJEdgeControlLayerBottomItem_CurrentTime), "00:03");
    driver.tap(controls().centerAdapter()->viewForItemWithTag(SJEdgeControlLayerCenterItem_Replay));
    ASSERT_TRUE(waitFor([&] { return player->isPlaying() && player->currentTime() < 1; }));
    driver.runLoop();
    EXPECT_FALSE(replay->isVisible());
}

TEST_F(VideoPlayer, DraggingTheSliderSeeksWhereItIsLetGo) {
    startClip();
    player->pause();
    auto slider = controls().progressSlider();
    const CGRect frame = driver.frameInWindow(slider);
    const CGFloat track = frame.size.width - slider->thumbSize();
    const CGPoint from{frame.minX() + slider->thumbSize() / 2 + track * 0.1, frame.midY()};
    const CGPoint to{frame.minX() + slider->thumbSize() / 2 + track * 0.75, frame.midY()};
    driver.drag(from, to, 0.3, 6);
    const double target = 0.75 * player->duration();
    ASSERT_TRUE(waitFor([&] { return std::fabs(player->currentTime() - target) < 0.15; }))
        << "at " << player->currentTime() << ", wanted " << target;
    EXPECT_TRUE(player->isPaused()) << "the slider's drag is no pan of the player";
}

TEST_F(VideoPlayer, TakesTheSharedResourcesAsTheyChange) {
    auto thumb = UIImage::qmui_imageWithColor(UIColor::redColor());
    SJVideoPlayer::updateResources([&](SJVideoPlayerResources& resources) {
        resources.progressThumbImage = thumb;
        resources.progressThumbSize = 8;
    });
    EXPECT_EQ(controls().progressSlider()->thumbSize(), 8);
    SJVideoPlayer::updateResources([](SJVideoPlayerResources& resources) {
        resources.progressThumbImage = nullptr;
        resources.progressThumbSize = 12;
    });
}

TEST_F(VideoPlayer, DrawsItsControlsOverThePicture) {
    auto asset = SJVideoPlayerURLAsset::initWithURL(playerviewtest::clipURL(), 0);
    asset->setTitle("标题");
    player->setURLAsset(asset);
    ASSERT_TRUE(waitFor([&] { return player->presentView()->videoLayer()->isReadyForDisplay(); }));
    player->pause();
    driver.runLoop();
    // The glyphs of the back and play items stand on the black bars beside the 4:3 picture.
    EXPECT_GT(playerviewtest::litFraction({{20, 112}, {24, 24}}), 0.05) << "back";
    EXPECT_GT(playerviewtest::litFraction({{20, 282}, {24, 24}}), 0.05) << "play";
    EXPECT_LT(playerviewtest::litFraction({{20, 190}, {24, 24}}), 0.01) << "nothing between the bars";
    keepScreenshot("video-player-controls");
}

} // namespace

namespace {

// A page whose view holds a player, as the player page does.
class PlayerPage : public UIViewController {
  public:
    void viewDidLoad() override {
        player = SJVideoPlayer::player();
        view()->addSubview(player->view());
        player->view()->setFrame({{0, 200}, {390, 219}});
    }
    void viewDidDisappear(bool animated) override {
        UIViewController::viewDidDisappear(animated);
        player->vc_viewDidDisappear();
    }
    std::shared_ptr<SJVideoPlayer> player;
};

TEST(VideoPlayerInAPage, TheBackItemLeavesThePage) {
    testsupport::useVirtualClock();
    auto window = std::make_shared<UIWindow>();
    window->makeKeyAndVisible();
    auto navigation = std::make_shared<UINavigationController>(std::make_shared<UIViewController>());
    window->setRootViewController(navigation);
    testsupport::ui::UIDriver driver;
    driver.runLoop();
    auto page = std::make_shared<PlayerPage>();
    navigation->pushViewController(page, false);
    driver.advance(1);
    ASSERT_EQ(navigation->topViewController(), page);

    auto back = page->player->defaultEdgeControlLayer()->topAdapter()->viewForItemWithTag(
        SJEdgeControlLayerTopItem_Back);
    driver.tap(back);
    driver.advance(1);
    EXPECT_NE(navigation->topViewController(), page);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    window->setRootViewController(nullptr);
    window->setHidden(true);
}

} // namespace
