#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAliMediaPlaybackController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJPlaybackRecordSaveHandler.h"
#include "platform/SJBaseVideoPlayer/Player/SJBaseVideoPlayer.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "tests/platform/SJBaseVideoPlayer/Player/PlayerViewTestSupport.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using playerviewtest::waitFor;

const CGRect kPlayerFrame{{0, 100}, {390, 219}};

std::optional<double> storedPosition(std::int64_t mediaId) {
    auto found = SJPlaybackHistoryController::shared().recordForMedia(mediaId, 0, SJMediaTypeVideo);
    return found && *found ? std::optional((*found)->position) : std::nullopt;
}

class PlayerPlayback : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        player = SJBaseVideoPlayer::player();
        window = playerviewtest::showInWindow(*player, kPlayerFrame);
    }

    void TearDown() override {
        window->setHidden(true);
        player.reset();
        RunLoop::main().advance(1);
    }

    std::shared_ptr<SJVideoPlayerURLAsset> clip(double start = 0) {
        return SJVideoPlayerURLAsset::initWithURL(playerviewtest::clipURL(), start);
    }

    bool playingPast(double seconds) {
        return waitFor([&] { return player->isPlaying() && player->currentTime() > seconds; });
    }

    std::shared_ptr<SJBaseVideoPlayer> player;
    std::shared_ptr<UIWindow> window;
};

TEST_F(PlayerPlayback, ShowsThePicturesOfTheAssetItPlays) {
    std::vector<std::string> seen;
    SJPlaybackObservation& observer = player->playbackObserver();
    observer.URLAssetDidChangeExeBlock = [&](SJBaseVideoPlayer&) { seen.push_back("asset"); };
    observer.durationDidChangeExeBlock = [&](SJBaseVideoPlayer& p) { seen.push_back("duration"); };
    int ticks = 0;
    observer.currentTimeDidChangeExeBlock = [&](SJBaseVideoPlayer&) { ++ticks; };

    EXPECT_LT(playerviewtest::litFraction(kPlayerFrame), 0.01) << "black before any picture";
    player->setURLAsset(clip());
    EXPECT_TRUE(player->isPlayed()) << "autoplay";
    ASSERT_TRUE(playingPast(0.5)) << player->playbackController()->errorDescription();
    ASSERT_TRUE(waitFor([&] { return player->presentView()->videoLayer()->isReadyForDisplay(); }));

    // The 4:3 picture is fitted into the 16:9 area: lit in the middle, black bars beside it.
    const CGRect picture = player->presentView()->videoLayer()->videoRect();
    EXPECT_NEAR(picture.size.height, 219, 0.5);
    EXPECT_GT(playerviewtest::litFraction(picture.offsetBy(0, kPlayerFrame.origin.y).insetBy(2, 2)), 0.5);
    EXPECT_LT(playerviewtest::litFraction({{0, 100}, {picture.minX() - 1, 219}}), 0.01);

    EXPECT_EQ(seen.front(), "asset");
    EXPECT_NE(std::find(seen.begin(), seen.end(), "duration"), seen.end());
    EXPECT_NEAR(player->duration(), 4, 0.25);
    EXPECT_GT(ticks, 0);
    EXPECT_LT(ticks, 10) << "time is reported about twice a second, not at every picture";
}

TEST_F(PlayerPlayback, SavesTheRecordOfItsAssetWhenPausedAndInTheBackground) {
    SJPlaybackRecordSaveHandler::shared().setEvents(127);
    auto asset = clip();
    auto record = std::make_shared<SJPlaybackRecord>();
    record->mediaId = 7101;
    asset->setRecord(record);
    player->setURLAsset(asset);
    ASSERT_TRUE(playingPast(1.0));

    player->pause();
    EXPECT_TRUE(player->isPaused());
    ASSERT_TRUE(storedPosition(7101).has_value());
    EXPECT_NEAR(*storedPosition(7101), player->currentTime(), 0.05);
    EXPECT_GT(*storedPosition(7101), 0.9);

    // The application goes to the background: the position is saved and playback pauses;
    // back in the foreground it plays on.
    player->play();
    ASSERT_TRUE(playingPast(1.8));
    UIApplication::sharedApplication()->hostStateChanged(UIApplicationState::background);
    EXPECT_TRUE(player->isPaused());
    EXPECT_NEAR(*storedPosition(7101), player->currentTime(), 0.05);
    EXPECT_GT(*storedPosition(7101), 1.7);
    UIApplication::sharedApplication()->hostStateChanged(UIApplicationState::active);
    EXPECT_FALSE(player->isPaused());
}

TEST_F(PlayerPlayback, PausesWhileItsPageIsAwayUnlessTheUserPausedFirst) {
    player->setURLAsset(clip());
    ASSERT_TRUE(playingPast(0.2));
    player->vc_viewWillDisappear();
    player->vc_viewDidDisappear();
    EXPECT_TRUE(player->isPaused());
    EXPECT_FALSE(player->isUserPaused());
    player->vc_viewDidAppear();
    EXPECT_FALSE(player->isPaused());

    player->pauseForUser();
    player->vc_viewDidDisappear();
    player->vc_viewDidAppear();
    EXPECT_TRUE(player->isPaused()) << "a pause of the user's own stays";
    EXPECT_TRUE(player->isUserPaused());
}

TEST_F(PlayerPlayback, StartsAtTheAssetsPositionAndReportsTheEnd) {
    int finishes = 0;
    player->playbackObserver().playbackDidFinishExeBlock = [&](SJBaseVideoPlayer&) { ++finishes; };
    player->setURLAsset(clip(3.0));
    ASSERT_TRUE(waitFor([&] { return finishes > 0; })) << player->playbackController()->errorDescription();
    EXPECT_TRUE(player->isPlaybackFinished());
    EXPECT_NEAR(player->currentTime(), 4, 0.25);

    player->replay();
    ASSERT_TRUE(waitFor([&] { return player->isPlaying() && player->currentTime() < 1; }));
}

TEST_F(PlayerPlayback, SwitchesToAnotherEngineFromInsideItsOwnFailureReport) {
    int failures = 0;
    player->playbackObserver().timeControlStatusDidChangeExeBlock = [&](SJBaseVideoPlayer& observed) {
        if (observed.assetStatus() != SJAssetStatusFailed) {
            return;
        }
        ++failures;
        if (failures == 2) {
            // As the page does after repeated failures: the second engine, a new asset.
            observed.setPlaybackController(std::make_shared<SJAliMediaPlaybackController>());
            observed.setURLAsset(clip());
        }
    };
    player->setURLAsset(SJVideoPlayerURLAsset::initWithURL(playerviewtest::missingURL(), 0));
    ASSERT_TRUE(waitFor([&] { return failures == 1; }));
    // Play on a failed asset loads it again.
    player->play();
    ASSERT_TRUE(waitFor([&] { return player->isPlaying() && player->currentTime() > 0.3; }))
        << player->playbackController()->errorDescription();
    EXPECT_EQ(failures, 2);
    EXPECT_NE(std::dynamic_pointer_cast<SJAliMediaPlaybackController>(player->playbackController()), nullptr);
    ASSERT_TRUE(waitFor([&] { return player->presentView()->videoLayer()->isReadyForDisplay(); }));
}

} // namespace

namespace {

// A player with defaults of its own, as a list cell's player sets them.
class QuietPlayer : public SJBaseVideoPlayer {
  public:
    explicit QuietPlayer(Construction construction) : SJBaseVideoPlayer(construction) {}

  protected:
    void init() override {
        SJBaseVideoPlayer::init();
        setAutoplayWhenSetNewAsset(false);
        setResumePlaybackWhenAppDidEnterForeground(false);
        gestureController().setSupportedGestureTypes(SJPlayerGestureTypeMask_SingleTap);
        presentView()->hiddenPlaceholderImageViewAnimated(false);
    }
};

TEST(PlayerSubclass, SetsItsDefaultsInItsOwnInit) {
    testsupport::useVirtualClock();
    auto player = SJBaseVideoPlayer::player<QuietPlayer>();
    EXPECT_EQ(player->gestureController().supportedGestureTypes(), SJPlayerGestureTypeMask_SingleTap);
    int loops = 0;
    player->playbackObserver().playbackDidFinishExeBlock = [&](SJBaseVideoPlayer& finished) {
        ++loops;
        finished.replay();
    };
    player->setURLAsset(SJVideoPlayerURLAsset::initWithURL(playerviewtest::clipURL(), 3.2));
    EXPECT_FALSE(player->isPlayed()) << "no autoplay";
    ASSERT_TRUE(waitFor([&] { return player->assetStatus() == SJAssetStatusReadyToPlay; }));
    EXPECT_TRUE(player->isPaused());
    player->play();
    ASSERT_TRUE(waitFor([&] { return loops == 1 && player->isPlaying() && player->currentTime() < 1; }))
        << "the video loops";
}

} // namespace
