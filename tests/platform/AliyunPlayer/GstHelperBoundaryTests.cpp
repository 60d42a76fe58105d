// The application's side of the boundary with the second engine's helper, driven by a
// stand-in helper that sends what no helper should (helpers/FakePlaybinHelper.cpp).
#include "platform/AliyunPlayer/GstPlaybinEngine.h"
#include "tests/platform/AVFoundation/support/PlayerTestMedia.h"
#include "tests/platform/AliyunPlayer/HelperProgram.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>

namespace {

using playertest::waitFor;

class SecondEngineBoundaryTest : public ::testing::Test {
  protected:
    void SetUp() override { MediaEngineSettings::setAudioOutputEnabled(false); }

    // Loads the fake helper's `behaviour`; the helper's process.
    pid_t loadBehaviour(GstPlaybinEngine& engine, const std::string& behaviour) {
        engine.load(makeMediaRequest("http://fake.test/" + behaviour, 0, {}));
        return engine.helperProcessForTesting();
    }
    static bool fails(const GstPlaybinEngine& engine) {
        return waitFor([&] { return engine.state().phase == MediaEnginePhase::Failed; }, 30);
    }
    static bool ends(pid_t helper) {
        return waitFor([&] { return ::kill(helper, 0) != 0; }, 30);
    }

    playertest::HelperProgram fake_{ORVEX_FAKE_PLAYBIN_HELPER};
};

// Whatever a helper sends that is not a well-formed report fails its load with a reason
// and reaches nothing else; the helper, which hangs after it, is ended at once, while the
// engine still holds the failed load.
TEST_F(SecondEngineBoundaryTest, AnythingButAWellFormedReportFailsOnlyItsLoadAndEndsItsHelper) {
    struct Case {
        const char* behaviour;
        const char* reason;
    };
    const Case cases[] = {
        {"event-that-is-a-number", "sent an event without a name"},
        {"unknown-event", "sent an unknown event"},
        {"generation-never-given", "\"generation\" is missing or out of range"},
        {"phase-out-of-range", "\"phase\" is missing or out of range"},
        {"position-not-a-number", "\"position\" is missing or out of range"},
        {"ring-too-wide", "picture memory of a size no picture may have"},
        {"ring-side-past-every-integer", "\"height\" is missing or out of range"},
        {"slot-out-of-range", "\"slot\" is missing or out of range"},
        {"negative-slot", "\"slot\" is missing or out of range"},
        {"frame-of-no-ring", "a picture before any picture memory"},
        {"descriptor-on-a-frame", "a descriptor with an event that carries none"},
        {"ring-without-memory", "picture memory without its descriptor"},
        {"ring-not-sealed", "picture memory that is not sealed at its announced size"},
        {"ring-shorter-than-announced", "picture memory that is not sealed at its announced size"},
        {"ring-that-is-a-pipe", "picture memory that is not sealed at its announced size"},
        {"packet-cut-short", "sent a malformed message"},
        {"packet-larger-than-any-message", "sent a malformed message"},
        {"two-descriptors", "sent a malformed message"},
    };
    GstPlaybinEngine engine;
    for (const auto& [behaviour, reason] : cases) {
        SCOPED_TRACE(behaviour);
        const pid_t helper = loadBehaviour(engine, behaviour);
        ASSERT_GT(helper, 0);
        ASSERT_TRUE(fails(engine));
        EXPECT_NE(engine.state().errorDescription.find(reason), std::string::npos)
            << engine.state().errorDescription;
        EXPECT_EQ(engine.latestFrame(), nullptr);
        EXPECT_TRUE(ends(helper)) << "the helper outlived its failed load";
    }
}

// A helper that shrinks its picture memory under the application's mapping is refused by
// the kernel: the picture it then sends is read whole.
TEST_F(SecondEngineBoundaryTest, PictureMemoryCannotBePulledAwayUnderTheApplication) {
    GstPlaybinEngine engine;
    loadBehaviour(engine, "shrinks-its-ring");
    ASSERT_TRUE(waitFor(
        [&] { return engine.latestFrame() != nullptr || engine.state().phase == MediaEnginePhase::Failed; }));
    ASSERT_NE(engine.latestFrame(), nullptr) << engine.state().errorDescription;
    EXPECT_FALSE(engine.latestFrame()->isBlank());
    engine.stop();
}

// A helper that reports its own failure and ends at once, with a command of the
// application's unread: its reason is read before its end, and reaches the load.
TEST_F(SecondEngineBoundaryTest, AHelperThatEndsWithItsReportUnreadHasItsReasonReachTheLoad) {
    GstPlaybinEngine engine;
    loadBehaviour(engine, "fails-and-ends");
    engine.setVolume(0.5);
    ASSERT_TRUE(fails(engine));
    EXPECT_EQ(engine.state().errorDescription, "the fake helper's own reason");
}

// A helper whose first word comes later than the silence limit (GStreamer starting on a
// cold, busy machine) is waited for, and plays.
TEST_F(SecondEngineBoundaryTest, AHelperSlowToStartIsNotTakenForAHungOne) {
    GstPlaybinEngine engine;
    loadBehaviour(engine, "starts-slowly");
    ASSERT_TRUE(waitFor(
        [&] { return engine.latestFrame() != nullptr || engine.state().phase == MediaEnginePhase::Failed; },
        60));
    EXPECT_EQ(engine.state().phase, MediaEnginePhase::Ready) << engine.state().errorDescription;
}

// A load the channel to the helper cannot carry fails with a reason saying so.
TEST_F(SecondEngineBoundaryTest, ALoadTheHelperCannotBeGivenFailsWithAReason) {
    struct Case {
        MediaRequest request;
        const char* reason;
    };
    const Case cases[] = {
        {makeMediaRequest("http://127.0.0.1/\xff\xfe.m3u8", 0, {}), "not valid UTF-8"},
        {makeMediaRequest("http://127.0.0.1/index.m3u8", 0, {{"Referer", "http://127.0.0.1/\xc3"}}),
         "not valid UTF-8"},
        {makeMediaRequest("http://127.0.0.1/index.m3u8", 0, {{"Cookie", std::string(70000, 'c')}}),
         "more than the second playback engine takes"},
    };
    GstPlaybinEngine engine;
    for (const auto& [request, reason] : cases) {
        SCOPED_TRACE(reason);
        engine.load(request);
        ASSERT_TRUE(fails(engine));
        EXPECT_NE(engine.state().errorDescription.find(reason), std::string::npos)
            << engine.state().errorDescription;
    }
}

} // namespace
