#include "platform/AVFoundation/AVPlayer.h"
#include "platform/Foundation/NotificationCenter.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class AVPlayerTest : public testing::Test {
  protected:
    void SetUp() override {
        MediaEngineSettings::setAudioOutputEnabled(false);
        folder_ = playertest::hlsStream("short", 3);
        ASSERT_FALSE(folder_.empty());
    }

    std::filesystem::path folder_;
};

// The splash screen's use: a local file, muted, played to its end.
TEST_F(AVPlayerTest, PlaysALocalFileToItsEndAndPostsTheEndNotification) {
    auto item = AVPlayerItem::playerItemWithURL("file://" + (folder_ / "index.m3u8").string());
    auto player = AVPlayer::playerWithPlayerItem(item);
    player->setVolume(0);
    std::shared_ptr<AVPlayerItem> endedItem;
    auto token = NotificationCenter::defaultCenter().addObserver(
        AVPlayerItemDidPlayToEndTimeNotification, [&](const Notification& notification) {
            endedItem = std::any_cast<std::shared_ptr<AVPlayerItem>>(notification.object);
        });
    bool sawFrame = false;
    bool frameBlank = true;
    auto observer = player->addObserver([&](AVPlayer& observed, unsigned changes) {
        if ((changes & AVPlayerChangeFrame) != 0 && !sawFrame) {
            sawFrame = true;
            frameBlank = observed.latestFrame()->isBlank();
        }
    });
    player->play();

    ASSERT_TRUE(playertest::waitFor([&] { return endedItem != nullptr; }));
    EXPECT_EQ(endedItem, item);
    EXPECT_EQ(item->status(), AVPlayerItemStatusReadyToPlay);
    EXPECT_NEAR(item->duration(), 3.0, 0.2);
    EXPECT_EQ(item->presentationSize(), (AVPresentationSize{320, 180}));
    EXPECT_TRUE(sawFrame);
    EXPECT_FALSE(frameBlank);
    EXPECT_EQ(player->timeControlStatus(), AVPlayerTimeControlStatusPaused);
    EXPECT_EQ(player->rate(), 0.0);
    EXPECT_EQ(player->volume(), 0.0f);

    // Seeking back and playing again plays the item once more.
    endedItem.reset();
    player->seekToTime(1.0);
    player->play();
    ASSERT_TRUE(playertest::waitFor([&] { return endedItem != nullptr; }));
}

// A looping player replays from its own end report. However that report and the engine's
// next states cross, each play-through ends exactly once.
TEST_F(AVPlayerTest, ReplayingFromTheEndReportEndsOncePerPlayThrough) {
    const auto folder = playertest::hlsStream("loop", 1);
    ASSERT_FALSE(folder.empty());
    auto item = AVPlayerItem::playerItemWithURL("file://" + (folder / "index.m3u8").string());
    auto player = AVPlayer::playerWithPlayerItem(item);
    constexpr int playThroughs = 6;
    int ends = 0;
    int endsWithoutPlaying = 0;
    bool playedSinceReplay = false;
    auto observer = player->addObserver([&](AVPlayer& observed, unsigned changes) {
        const double time = observed.currentTime();
        if ((changes & AVPlayerChangeTime) != 0 && time > 0.2 && time < item->duration() - 0.2) {
            playedSinceReplay = true;
        }
    });
    auto token = NotificationCenter::defaultCenter().addObserver(
        AVPlayerItemDidPlayToEndTimeNotification, [&](const Notification&) {
            ++ends;
            endsWithoutPlaying += playedSinceReplay ? 0 : 1;
            playedSinceReplay = false;
            if (ends < playThroughs) {
                player->seekToTime(0);
                player->play();
            }
        });
    player->setRate(2);

    ASSERT_TRUE(playertest::waitFor([&] { return ends >= playThroughs; }, 60)) << ends;
    EXPECT_EQ(ends, playThroughs);
    EXPECT_EQ(endsWithoutPlaying, 0) << "an end reported again without playing through";
}

TEST_F(AVPlayerTest, RefusesAddressesThatAreNeitherNetworkNorFile) {
    for (const std::string url :
         {"av://lavfi:testsrc", "ftp://127.0.0.1/x.mp4", "/tmp/x.mp4", "lavf://file:/etc/passwd"}) {
        auto item = AVPlayerItem::playerItemWithURL(url);
        auto player = AVPlayer::playerWithPlayerItem(item);
        player->play();
        ASSERT_TRUE(playertest::waitFor([&] { return item->status() == AVPlayerItemStatusFailed; }, 5))
            << url;
        EXPECT_EQ(item->error()->domain, AVFoundationErrorDomain);
        EXPECT_FALSE(item->errorDescription().empty());
        EXPECT_EQ(player->latestFrame(), nullptr);
    }
}

// A network playlist may name only network segments: one that names a local file (here
// a perfectly playable one) must fail rather than play it.
TEST_F(AVPlayerTest, RefusesLocalSegmentsNamedByANetworkPlaylist) {
    const std::filesystem::path nested = testsupport::freshFolder("nested");
    std::ofstream playlist(nested / "index.m3u8");
    playlist << "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n#EXT-X-PLAYLIST-TYPE:VOD\n";
    for (int i = 0; i < 3; ++i) {
        playlist << "#EXTINF:1.0,\nfile://" << (folder_ / ("segment" + std::to_string(i) + ".ts")).string()
                 << "\n";
    }
    playlist << "#EXT-X-ENDLIST\n";
    playlist.close();
    playertest::MediaOrigin origin(nested);

    auto item = AVPlayerItem::playerItemWithURL(origin.url("index.m3u8"));
    auto player = AVPlayer::playerWithPlayerItem(item);
    player->play();
    ASSERT_TRUE(playertest::waitFor([&] { return item->status() == AVPlayerItemStatusFailed; }));
    EXPECT_EQ(player->latestFrame(), nullptr);
    for (const auto& request : origin.requests()) {
        EXPECT_EQ(request.path, "/index.m3u8");
    }
}

} // namespace
