#include "platform/AliyunPlayer/GstPlaybinEngine.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"
#include "tests/platform/AliyunPlayer/FirstReady.h"
#include "tests/platform/AliyunPlayer/HelperProgram.h"
#include "tests/platform/AliyunPlayer/SlowOrigin.h"

#include <gtest/gtest.h>

namespace {

using playertest::waitFor;

// A title resumed at a saved position is ready only once the engine stands there: a
// "ready" at 0 would show the start of the title for a moment (and report it as the
// place to resume from). Paused and playing, several times over, on one engine.
TEST(GstPlaybinStartTest, IsReadyOnlyOnceTheStartPositionIsReached) {
    MediaEngineSettings::setAudioOutputEnabled(false);
    const auto eight = playertest::hlsStream("eight", 8);
    ASSERT_FALSE(eight.empty());
    playertest::SlowOrigin origin(eight.parent_path());
    GstPlaybinEngine engine;
    for (int load = 0; load < 8; ++load) {
        SCOPED_TRACE("load " + std::to_string(load));
        auto client = std::make_shared<playertest::FirstReady>();
        engine.setClient(client);
        engine.setPaused(load % 2 == 0);
        const double start = 2.5 + load % 3 * 2;
        engine.load(makeMediaRequest(origin.url(eight.filename().string() + "/index.m3u8"), start, {}));
        ASSERT_TRUE(waitFor([&] {
            return client->position.has_value() || engine.state().phase == MediaEnginePhase::Failed;
        })) << engine.state().errorDescription;
        ASSERT_EQ(engine.state().phase, MediaEnginePhase::Ready) << engine.state().errorDescription;
        EXPECT_GT(*client->position, start - 0.5);
        EXPECT_LT(*client->position, start + 1.5);
    }
}

// A short stream starts even when every one of its segments arrives before the HLS
// demuxer has any output: its helper here runs the demuxer's output thread late, as a busy
// machine does (helpers/LateDemuxerOutputs.cpp).
TEST(GstPlaybinStartTest, AShortStreamStartsWhenAllItsSegmentsArriveBeforeTheDemuxerHasOutputs) {
    MediaEngineSettings::setAudioOutputEnabled(false);
    const auto three = playertest::hlsStream("three", 3);
    ASSERT_FALSE(three.empty());
    playertest::MediaOrigin origin(three.parent_path());
    playertest::HelperProgram lateOutputs(ORVEX_LATE_OUTPUTS_PLAYBIN_HELPER);
    GstPlaybinEngine engine;
    engine.load(makeMediaRequest(origin.url(three.filename().string() + "/index.m3u8"), 0, {}));
    ASSERT_TRUE(waitFor([&] {
        return (engine.latestFrame() != nullptr && engine.state().phase == MediaEnginePhase::Ready) ||
               engine.state().phase == MediaEnginePhase::Failed;
    }));
    EXPECT_EQ(engine.state().phase, MediaEnginePhase::Ready) << engine.state().errorDescription;
}

} // namespace
