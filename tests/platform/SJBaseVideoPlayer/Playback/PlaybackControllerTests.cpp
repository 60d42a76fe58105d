#include "platform/SJBaseVideoPlayer/Playback/SJAVMediaPlaybackController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAliMediaPlaybackController.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"
#include "tests/support/media/MediaFixtures.h"
#include "tests/support/media/TestOrigin.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

using playertest::waitFor;

// Remembers what a controller told.
class Recorder : public SJMediaPlaybackControllerDelegate {
  public:
    void assetStatusDidChange(SJMediaPlaybackController& controller) override {
        if (controller.assetStatus() == SJAssetStatusFailed) {
            failedMedia.push_back(controller.media() ? controller.media()->mediaURL() : "");
        }
    }
    void timeControlStatusDidChange(SJMediaPlaybackController& controller) override {
        if (controller.assetStatus() == SJAssetStatusFailed) {
            ++failedTimeControlChanges;
        }
    }
    void currentTimeDidChange(SJMediaPlaybackController& controller) override {
        if (controller.assetStatus() == SJAssetStatusReadyToPlay && !firstReadyPosition) {
            firstReadyPosition = controller.currentTime();
        }
        maximumPosition = std::max(maximumPosition, controller.currentTime());
    }
    void playbackDidFinish(SJMediaPlaybackController&) override { ++finishes; }
    void frameDidChange(SJMediaPlaybackController& controller) override {
        if (!firstFrame) {
            firstFrame = controller.latestFrame();
        }
    }

    std::vector<std::string> failedMedia;
    int failedTimeControlChanges = 0;
    std::optional<double> firstReadyPosition;
    double maximumPosition = 0;
    int finishes = 0;
    std::shared_ptr<const VideoFrame> firstFrame;
};

struct Engine {
    std::string name;
    std::function<std::unique_ptr<SJMediaPlaybackController>()> make;
    // GStreamer's HLS demuxer passes the user agent on to segment requests, but not
    // the other header fields.
    bool headerFieldsReachSegments;
};

void PrintTo(const Engine& engine, std::ostream* out) {
    *out << engine.name;
}

class PlaybackControllerTest : public testing::TestWithParam<Engine> {
  protected:
    void SetUp() override {
        MediaEngineSettings::setAudioOutputEnabled(false);
        const auto four = playertest::hlsStream("four", 4);
        const auto eight = playertest::hlsStream("eight", 8);
        ASSERT_FALSE(four.empty());
        ASSERT_FALSE(eight.empty());
        origin_ = std::make_unique<playertest::MediaOrigin>(four.parent_path());
        fourURL_ = origin_->url(four.filename().string() + "/index.m3u8");
        eightURL_ = origin_->url(eight.filename().string() + "/index.m3u8");
        controller_ = GetParam().make();
        recorder_ = std::make_shared<Recorder>();
        controller_->setDelegate(recorder_);
    }

    std::unique_ptr<playertest::MediaOrigin> origin_;
    std::string fourURL_;
    std::string eightURL_;
    std::unique_ptr<SJMediaPlaybackController> controller_;
    std::shared_ptr<Recorder> recorder_;
};

TEST_P(PlaybackControllerTest, PlaysAnHlsStreamOverHttpToItsEnd) {
    controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(fourURL_, 0));
    EXPECT_EQ(controller_->assetStatus(), SJAssetStatusPreparing);
    controller_->play();

    ASSERT_TRUE(waitFor([&] { return recorder_->finishes > 0; })) << controller_->errorDescription();
    EXPECT_EQ(recorder_->finishes, 1);
    EXPECT_EQ(controller_->status(), SJPlaybackStatus::Finished);
    EXPECT_EQ(controller_->timeControlStatus(), SJPlaybackTimeControlStatusPaused);
    EXPECT_NEAR(controller_->duration(), 4.0, 0.25);
    EXPECT_GT(recorder_->maximumPosition, 3.0);
    EXPECT_GT(controller_->playableDuration(), 3.0);
    EXPECT_EQ(controller_->presentationSize(), (SJPresentationSize{320, 180}));
    ASSERT_NE(recorder_->firstFrame, nullptr);
    EXPECT_EQ(recorder_->firstFrame->width(), 320);
    EXPECT_FALSE(recorder_->firstFrame->isBlank());
}

// A player shown paused on its first picture goes on downloading the media ahead (the
// second engine reads ahead less only until that picture).
TEST_P(PlaybackControllerTest, ReadsTheMediaAheadWhilePausedOnTheFirstPicture) {
    controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(eightURL_, 0));
    ASSERT_TRUE(waitFor([&] { return recorder_->firstFrame != nullptr; })) << controller_->errorDescription();
    EXPECT_EQ(controller_->timeControlStatus(), SJPlaybackTimeControlStatusPaused);
    const auto lastSegmentServed = [&] {
        const auto requests = origin_->requests();
        return std::any_of(requests.begin(), requests.end(),
                           [](const playertest::MediaOrigin::Request& request) {
                               return request.path.ends_with("eight-8/segment7.ts");
                           });
    };
    EXPECT_TRUE(waitFor(lastSegmentServed)) << "position " << controller_->currentTime();
    EXPECT_LT(controller_->currentTime(), 1.0);
}

TEST_P(PlaybackControllerTest, StartsAtTheStartPositionAndResumesAfterTheEndWithPlay) {
    controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(fourURL_, 3.0));
    controller_->play();
    ASSERT_TRUE(waitFor([&] { return recorder_->finishes > 0; })) << controller_->errorDescription();
    ASSERT_TRUE(recorder_->firstReadyPosition.has_value());
    EXPECT_NEAR(*recorder_->firstReadyPosition, 3.0, 0.6);

    // Play after the end starts again from the beginning.
    controller_->play();
    ASSERT_TRUE(waitFor([&] {
        return controller_->timeControlStatus() == SJPlaybackTimeControlStatusPlaying &&
               controller_->currentTime() < 2.0;
    })) << "status "
        << static_cast<int>(controller_->status()) << " at " << controller_->currentTime();
    EXPECT_FALSE(controller_->isPlaybackFinished());
}

TEST_P(PlaybackControllerTest, RateTwoPlaysFasterThanTheClock) {
    controller_->setRate(2.0);
    controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(eightURL_, 0));
    controller_->play();
    ASSERT_TRUE(waitFor([&] {
        return controller_->timeControlStatus() == SJPlaybackTimeControlStatusPlaying &&
               controller_->currentTime() > 0.5;
    })) << controller_->errorDescription();
    const double startMedia = controller_->currentTime();
    const auto startWall = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitFor(
        [&] { return controller_->currentTime() >= startMedia + 3.0 || controller_->isPlaybackFinished(); }));
    const double mediaElapsed = controller_->currentTime() - startMedia;
    const double wallElapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - startWall).count();
    EXPECT_GT(mediaElapsed, wallElapsed);
    EXPECT_EQ(controller_->rate(), 2.0);
}

TEST_P(PlaybackControllerTest, SeeksWithinASegmentOfTheTarget) {
    controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(eightURL_, 0));
    ASSERT_TRUE(waitFor([&] { return controller_->assetStatus() == SJAssetStatusReadyToPlay; }));
    std::optional<bool> finished;
    controller_->seekToTime(5.0, [&](bool done) { finished = done; });
    ASSERT_TRUE(waitFor([&] { return finished.has_value(); }));
    EXPECT_TRUE(*finished);
    EXPECT_NEAR(controller_->currentTime(), 5.0, 1.0);
    controller_->play();
    ASSERT_TRUE(waitFor([&] { return controller_->currentTime() > 5.3; }));
    EXPECT_LT(controller_->currentTime(), 7.5);
}

TEST_P(PlaybackControllerTest, SendsTheAssetsUserAgentAndSafeHeaderFields) {
    AVHTTPHeaderFields fields{
        {"User-Agent", "OrvexPlayerTest/1.0"},
        {"X-Token", "abc,def"},
        {"X-Injected", "a\r\nX-Evil: 1"},
    };
    auto asset =
        std::make_shared<AVURLAsset>(fourURL_, AVURLAssetOptions{{AVURLAssetHTTPHeaderFieldsKey, fields}});
    controller_->setMedia(SJVideoPlayerURLAsset::initWithAVAsset(asset, 0, std::make_shared<SJPlayModel>()));
    controller_->play();
    ASSERT_TRUE(waitFor([&] { return controller_->currentTime() > 1.5; })) << controller_->errorDescription();

    const auto requests = origin_->requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests.front().headers.at("x-token"), "abc,def");
    for (const auto& request : requests) {
        EXPECT_EQ(request.headers.count("x-evil"), 0u) << request.path;
        EXPECT_EQ(request.headers.count("x-injected"), 0u) << request.path;
        EXPECT_EQ(request.headers.at("user-agent"), "OrvexPlayerTest/1.0") << request.path;
        if (GetParam().headerFieldsReachSegments) {
            EXPECT_EQ(request.headers.at("x-token"), "abc,def") << request.path;
        }
    }
}

TEST_P(PlaybackControllerTest, RefusesAddressesThatAreNotHttp) {
    for (const std::string url : {"file:///etc/passwd", "av://lavfi:testsrc", "ftp://127.0.0.1/a.m3u8",
                                  "lavf://file:/etc/passwd", "/etc/passwd"}) {
        controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(url, 0));
        controller_->play();
        ASSERT_TRUE(waitFor([&] { return controller_->assetStatus() == SJAssetStatusFailed; }, 5)) << url;
        EXPECT_EQ(controller_->status(), SJPlaybackStatus::Failed);
        EXPECT_EQ(controller_->error(),
                  (NSError{SJMediaPlaybackErrorDomain, SJMediaPlaybackErrorRefusedAddress}));
        EXPECT_EQ(controller_->latestFrame(), nullptr);
    }
    EXPECT_TRUE(origin_->requests().empty());
}

// The player page switches engines after five failed loads: each one must be seen,
// in order, as a failure and as a change of the time-control status.
TEST_P(PlaybackControllerTest, ReportsFiveFailedLoadsInOrder) {
    std::vector<std::string> urls;
    for (int i = 1; i <= 4; ++i) {
        urls.push_back(origin_->url("missing-" + std::to_string(i) + ".m3u8"));
    }
    urls.push_back("ftp://127.0.0.1/refused.m3u8");
    for (const auto& url : urls) {
        controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(url, 0));
        controller_->play();
        ASSERT_TRUE(waitFor([&] { return controller_->assetStatus() == SJAssetStatusFailed; })) << url;
    }
    EXPECT_EQ(recorder_->failedMedia, urls);
    EXPECT_EQ(recorder_->failedTimeControlChanges, 5);
    EXPECT_EQ(controller_->error()->code, SJMediaPlaybackErrorRefusedAddress);

    // A working address plays again on the same controller.
    controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(fourURL_, 0));
    controller_->play();
    ASSERT_TRUE(
        waitFor([&] { return controller_->timeControlStatus() == SJPlaybackTimeControlStatusPlaying; }));
    EXPECT_FALSE(controller_->error().has_value());
}

// Real-world kinds of media from the shared fixtures: AES-128 segments with an absolute
// key address, one media file addressed by byte ranges, and a progressive mp4.
TEST_P(PlaybackControllerTest, PlaysEncryptedByteRangeAndProgressiveMedia) {
    testmedia::TestOrigin origin(testmedia::MediaFixtures::shared().root());
    ASSERT_TRUE(origin.start());
    for (const std::string path : {"showcase/a/index.m3u8", "showcase/b/index.m3u8", "plain/clip.mp4"}) {
        controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(origin.url(path), 0));
        controller_->play();
        ASSERT_TRUE(waitFor([&] { return controller_->currentTime() > 1.0 && controller_->latestFrame(); }))
            << path << ": " << controller_->errorDescription();
        EXPECT_FALSE(controller_->latestFrame()->isBlank()) << path;
    }
    EXPECT_GE(origin.requestCount("/showcase/a/enc.key"), 1u);
}

TEST_P(PlaybackControllerTest, PlaysThroughTheMediaCacheProxy) {
    const auto proxied = SJMediaCacheServer::shared().playbackURLWithURL(fourURL_);
    ASSERT_TRUE(proxied.has_value());
    ASSERT_EQ(proxied->rfind("http://127.0.0.1:", 0), 0u) << *proxied;
    controller_->setMedia(SJVideoPlayerURLAsset::initWithURL(*proxied, 0));
    controller_->play();
    ASSERT_TRUE(waitFor([&] { return recorder_->finishes > 0; })) << controller_->errorDescription();
    EXPECT_NEAR(controller_->duration(), 4.0, 0.25);
    EXPECT_FALSE(origin_->requests().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Engines, PlaybackControllerTest,
    testing::Values(Engine{"mpv", [] { return std::make_unique<SJAVMediaPlaybackController>(); }, true},
                    Engine{"gstreamer", [] { return std::make_unique<SJAliMediaPlaybackController>(); },
                           false}),
    [](const testing::TestParamInfo<Engine>& info) { return info.param.name; });

} // namespace
