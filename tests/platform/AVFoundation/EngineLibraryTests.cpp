#include "platform/AVFoundation/AVPlayer.h"
#include "platform/AVFoundation/mpv/MpvLibrary.h"
#include "platform/Foundation/NotificationCenter.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"
#include "tests/support/WatchedChild.h"

#include <gtest/gtest.h>

namespace {

// The media engine's library is in the process only while some player has an engine; a
// player made after it was unloaded loads it again and plays as the first did.
class EngineLibraryTest : public testing::Test {
  protected:
    void SetUp() override {
        MediaEngineSettings::setAudioOutputEnabled(false);
        folder_ = playertest::hlsStream("library", 2);
        ASSERT_FALSE(folder_.empty());
    }

    std::shared_ptr<AVPlayer> startPlayer() {
        auto player = AVPlayer::playerWithPlayerItem(
            AVPlayerItem::playerItemWithURL("file://" + (folder_ / "index.m3u8").string()));
        player->setVolume(0);
        player->play();
        return player;
    }

    // Plays `player` to its end; whether a picture that is not blank was shown on the way.
    static bool playsToTheEndWithAPicture(AVPlayer& player) {
        bool ended = false;
        auto token = NotificationCenter::defaultCenter().addObserver(
            AVPlayerItemDidPlayToEndTimeNotification, [&](const Notification& notification) {
                ended =
                    std::any_cast<std::shared_ptr<AVPlayerItem>>(notification.object) == player.currentItem();
            });
        if (!playertest::waitFor([&] { return ended; })) {
            return false;
        }
        const auto frame = player.latestFrame();
        return frame != nullptr && !frame->isBlank();
    }

    std::filesystem::path folder_;
};

TEST_F(EngineLibraryTest, LoadedWhilePlayingUnloadedAfterAndLoadedAgainForTheNextPlayer) {
    EXPECT_FALSE(MpvLibrary::isLoaded()) << "nothing has played yet";

    auto first = startPlayer();
    ASSERT_TRUE(playsToTheEndWithAPicture(*first));
    EXPECT_TRUE(MpvLibrary::isLoaded());
    first.reset();
    EXPECT_TRUE(playertest::waitFor([] { return !MpvLibrary::isLoaded(); }, 20))
        << "the library stays after the last player is gone";

    auto second = startPlayer();
    ASSERT_TRUE(playsToTheEndWithAPicture(*second));
    EXPECT_NEAR(second->currentItem()->duration(), 2.0, 0.2);
    // Played once more from the start on the reloaded library.
    second->seekToTime(0);
    second->play();
    ASSERT_TRUE(playsToTheEndWithAPicture(*second));
    second.reset();
    EXPECT_TRUE(playertest::waitFor([] { return !MpvLibrary::isLoaded(); }, 20));
}

TEST_F(EngineLibraryTest, StaysWhileAnyPlayerIsLeftAndThatPlayerGoesOnPlaying) {
    auto first = startPlayer();
    auto second = startPlayer();
    ASSERT_TRUE(playertest::waitFor([&] { return first->latestFrame() && second->latestFrame(); }));
    first.reset();
    EXPECT_TRUE(MpvLibrary::isLoaded());
    ASSERT_TRUE(playsToTheEndWithAPicture(*second));
    second.reset();
    EXPECT_TRUE(playertest::waitFor([] { return !MpvLibrary::isLoaded(); }, 20));
}

// libsrt, loaded with the library on an engine's worker, leaves an object in that
// thread's specific data, which the thread frees as it ends; when the worker ends while
// the process exits, after libsrt's static objects are destroyed, nothing frees it. The
// leak checker passes over that one object (under AddressSanitizer the process would
// otherwise fail with a leak report naming only libsrt's module).
TEST(EngineLibrary, ItsLoadTimeObjectIsNoLeakWhenTheLoadingWorkerEndsAsTheProcessExits) {
    const auto child = testsupport::runWatchedChild({ORVEX_WORKER_EXIT_CHILD, "media-library"}, {}, 100, 60);
    EXPECT_TRUE(child.exitedCleanly()) << "wait status " << child.waitStatus << "\n" << child.output;
    // The worker finished during the exit, as the test meant it to.
    EXPECT_NE(child.output.find("gone"), std::string::npos) << child.output;
}

} // namespace
