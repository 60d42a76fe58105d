#include "platform/Foundation/RunLoop.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAVMediaPlaybackController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJPlaybackRecordSaveHandler.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<SJPlaybackRecord> makeRecord(std::int64_t mediaId) {
    auto record = std::make_shared<SJPlaybackRecord>();
    record->mediaId = mediaId;
    record->vodId = "vod-" + std::to_string(mediaId);
    return record;
}

std::optional<double> storedPosition(std::int64_t mediaId) {
    auto found = SJPlaybackHistoryController::shared().recordForMedia(mediaId, 0, SJMediaTypeVideo);
    if (!found || !*found) {
        return std::nullopt;
    }
    return (*found)->position;
}

void post(SJPlayerEvent event, const std::shared_ptr<SJVideoPlayerURLAsset>& asset, double time,
          SJAssetStatus status = SJAssetStatusReadyToPlay) {
    SJPlayerEventCenter::shared().post(event, {asset, time, 100, status});
}

class SaveHandler : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        SJPlaybackRecordSaveHandler::shared().setEvents(127);
    }

    std::shared_ptr<SJVideoPlayerURLAsset> assetWithRecord(std::int64_t mediaId) {
        auto asset = SJVideoPlayerURLAsset::initWithURL("http://127.0.0.1:1/a.m3u8", 0);
        asset->setRecord(makeRecord(mediaId));
        return asset;
    }
};

TEST_F(SaveHandler, SavesThePositionOnEveryChosenEvent) {
    const SJPlayerEvent events[] = {SJPlayerEventDidPause,           SJPlayerEventDidSeek,
                                    SJPlayerEventURLAssetWillChange, SJPlayerEventDidFinish,
                                    SJPlayerEventDidEnterBackground, SJPlayerEventWillDeallocate};
    std::int64_t mediaId = 100;
    for (SJPlayerEvent event : events) {
        auto asset = assetWithRecord(++mediaId);
        post(event, asset, 12.5);
        EXPECT_EQ(storedPosition(mediaId), 12.5) << event;
        EXPECT_EQ(asset->record()->position, 12.5);
    }
}

TEST_F(SaveHandler, SavesOnlyTheEventsOfItsMask) {
    SJPlaybackRecordSaveHandler::shared().setEvents(SJPlayerEventDidPause);
    auto asset = assetWithRecord(200);
    post(SJPlayerEventTimeDidChange, asset, 5);
    post(SJPlayerEventDidFinish, asset, 6);
    EXPECT_EQ(storedPosition(200), std::nullopt);
    post(SJPlayerEventDidPause, asset, 7);
    EXPECT_EQ(storedPosition(200), 7);

    SJPlaybackRecordSaveHandler::shared().setEvents(0);
    post(SJPlayerEventDidPause, asset, 8);
    EXPECT_EQ(storedPosition(200), 7);
}

TEST_F(SaveHandler, SavesTimeTicksAtMostEveryFewSecondsPerRecord) {
    auto first = assetWithRecord(300);
    auto second = assetWithRecord(301);
    post(SJPlayerEventTimeDidChange, first, 10);
    post(SJPlayerEventTimeDidChange, second, 50);
    RunLoop::main().advance(1);
    post(SJPlayerEventTimeDidChange, first, 11);
    EXPECT_EQ(storedPosition(300), 10);
    EXPECT_EQ(storedPosition(301), 50);
    RunLoop::main().advance(SJPlaybackRecordSaveHandler::periodicSaveInterval);
    post(SJPlayerEventTimeDidChange, first, 14);
    EXPECT_EQ(storedPosition(300), 14);
    // A pause is saved at once, whatever the ticks did.
    post(SJPlayerEventDidPause, first, 14.5);
    EXPECT_EQ(storedPosition(300), 14.5);
}

// A start that fails (or is replaced before it opened) must not overwrite the position
// the user had reached with the start of an unopened asset.
TEST_F(SaveHandler, NeverSavesAnAssetThatDidNotOpen) {
    auto asset = assetWithRecord(400);
    post(SJPlayerEventDidPause, asset, 600);
    asset->record()->position = 600;
    for (SJAssetStatus status : {SJAssetStatusUnknown, SJAssetStatusPreparing, SJAssetStatusFailed}) {
        post(SJPlayerEventURLAssetWillChange, asset, 0, status);
        post(SJPlayerEventWillDeallocate, asset, 0, status);
    }
    EXPECT_EQ(storedPosition(400), 600);

    auto withoutRecord = SJVideoPlayerURLAsset::initWithURL("http://127.0.0.1:1/b.m3u8", 0);
    post(SJPlayerEventDidPause, withoutRecord, 3);
    post(SJPlayerEventDidPause, nullptr, 3);
}

// Forwards a controller's events to the event center the way a player does.
class ForwardingPlayer : public SJMediaPlaybackControllerDelegate {
  public:
    explicit ForwardingPlayer(std::shared_ptr<SJVideoPlayerURLAsset> asset) : asset_(std::move(asset)) {}

    void start(SJMediaPlaybackController& controller) {
        controller_ = &controller;
        controller.setMedia(asset_);
        controller.play();
    }
    void pause() {
        controller_->pause();
        post(SJPlayerEventDidPause);
    }
    void currentTimeDidChange(SJMediaPlaybackController& controller) override {
        if (controller.assetStatus() == SJAssetStatusReadyToPlay && !firstPosition) {
            firstPosition = controller.currentTime();
        }
        if (controller.timeControlStatus() == SJPlaybackTimeControlStatusPlaying) {
            post(SJPlayerEventTimeDidChange);
        }
    }
    void playbackDidFinish(SJMediaPlaybackController&) override {
        post(SJPlayerEventDidFinish);
        finished = true;
    }

    std::optional<double> firstPosition;
    bool finished = false;

  private:
    void post(SJPlayerEvent event) {
        SJPlayerEventCenter::shared().post(event, SJPlayerEventInfo::of(*controller_));
    }

    std::shared_ptr<SJVideoPlayerURLAsset> asset_;
    SJMediaPlaybackController* controller_ = nullptr;
};

TEST(SaveHandlerWithAPlayer, StoresThePositionOnPauseAndAtTheEndAndANewPlayerResumesFromIt) {
    RunLoop::main().setClock(std::make_shared<SystemClock>());
    MediaEngineSettings::setAudioOutputEnabled(false);
    SJPlaybackRecordSaveHandler::shared().setEvents(127);
    const auto folder = playertest::hlsStream("four", 4);
    ASSERT_FALSE(folder.empty());
    playertest::MediaOrigin origin(folder);
    const std::string url = origin.url("index.m3u8");
    constexpr std::int64_t mediaId = 500;

    auto asset = SJVideoPlayerURLAsset::initWithURL(url, 0);
    asset->setRecord(makeRecord(mediaId));
    auto player = std::make_shared<ForwardingPlayer>(asset);
    auto controller = std::make_unique<SJAVMediaPlaybackController>();
    controller->setDelegate(player);
    player->start(*controller);
    ASSERT_TRUE(playertest::waitFor([&] { return controller->currentTime() > 1.5; }))
        << controller->errorDescription();
    player->pause();
    const double pausedAt = controller->currentTime();
    ASSERT_EQ(storedPosition(mediaId), pausedAt);
    controller.reset();

    // The next opening starts where the record says, and the end is saved too.
    auto record = *SJPlaybackHistoryController::shared().recordForMedia(mediaId, 0, SJMediaTypeVideo);
    auto resumed = SJVideoPlayerURLAsset::initWithURL(url, record->position);
    resumed->setRecord(record);
    auto nextPlayer = std::make_shared<ForwardingPlayer>(resumed);
    auto nextController = std::make_unique<SJAVMediaPlaybackController>();
    nextController->setDelegate(nextPlayer);
    nextPlayer->start(*nextController);
    ASSERT_TRUE(playertest::waitFor([&] { return nextPlayer->finished; }))
        << nextController->errorDescription();
    ASSERT_TRUE(nextPlayer->firstPosition.has_value());
    EXPECT_NEAR(*nextPlayer->firstPosition, pausedAt, 0.6);
    EXPECT_GT(storedPosition(mediaId).value_or(0), 3.5);
}

} // namespace
