#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/AVFoundation/Media/MediaSessionReport.h"
#include "platform/Foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// An engine whose "threads" are the test: it remembers the generations it was handed and
// reports through the real outlets, whenever the test says so.
class ScriptedEngine final : public MediaEngine {
  public:
    MediaEngineOutlets reports() const { return outlets(); }
    std::uint64_t lastGeneration = 0;
    std::vector<std::uint64_t> seekGenerations;

  private:
    void performLoad(std::uint64_t generation, const MediaRequest&, bool) override {
        lastGeneration = generation;
    }
    void performStop(std::uint64_t generation) override { lastGeneration = generation; }
    void performSetPaused(bool) override {}
    void performSetRate(double) override {}
    void performSetVolume(double, bool) override {}
    void performSeek(std::uint64_t generation, std::uint64_t, double) override {
        lastGeneration = generation;
        seekGenerations.push_back(generation);
    }
};

// Counts ends of play and replays from inside the end report, as a looping player does.
class ReplayingClient final : public MediaEngineClient {
  public:
    explicit ReplayingClient(ScriptedEngine& engine) : engine_(engine) {}
    int ends = 0;

    void engineStateDidChange(MediaEngine& engine) override {
        const bool ended = engine.state().ended;
        if (ended && !wasEnded_) {
            ++ends;
            engine_.seek(0);
        }
        wasEnded_ = engine.state().ended;
    }

  private:
    ScriptedEngine& engine_;
    bool wasEnded_ = false;
};

MediaEngineState playing(double position, bool ended = false) {
    MediaEngineState state;
    state.phase = MediaEnginePhase::Ready;
    state.duration = 2;
    state.position = position;
    state.ended = ended;
    return state;
}

TEST(MediaEngineGenerations, AStateSentBeforeTheEngineTookUpAReplayCannotEndPlayAgain) {
    auto engine = std::make_shared<ScriptedEngine>();
    auto client = std::make_shared<ReplayingClient>(*engine);
    engine->setClient(client);
    engine->load(makeMediaRequest("http://127.0.0.1:1/a.m3u8", 0, {}));
    MediaEngineOutlets reports = engine->reports();
    std::uint64_t generation = engine->lastGeneration;
    reports.state(generation, playing(0.5));
    RunLoop::main().runPending();

    for (int playThrough = 1; playThrough <= 20; ++playThrough) {
        reports.state(generation, playing(2, true));
        RunLoop::main().runPending();
        ASSERT_EQ(client->ends, playThrough);
        ASSERT_EQ(engine->seekGenerations.size(), static_cast<size_t>(playThrough))
            << "replayed from the report";
        EXPECT_FALSE(engine->state().ended) << "the replay cleared the end";

        // The engine's thread had not taken the replay up yet: its next state still says
        // "ended", under the generation it knew.
        MediaEngineState late = playing(2, true);
        late.bufferedPosition = 2;
        reports.state(generation, late);
        RunLoop::main().runPending();
        EXPECT_EQ(client->ends, playThrough) << "the late state is dropped";
        EXPECT_FALSE(engine->state().ended);
        EXPECT_EQ(engine->state().position, 0);

        // Then it takes the replay up and plays through again.
        generation = engine->seekGenerations.back();
        reports.state(generation, playing(0.04));
        RunLoop::main().runPending();
        EXPECT_DOUBLE_EQ(engine->state().position, 0.04);
    }
}

TEST(MediaEngineGenerations, PicturesOfTheLoadedMediaSurviveASeekButNotANewLoad) {
    auto engine = std::make_shared<ScriptedEngine>();
    engine->load(makeMediaRequest("http://127.0.0.1:1/a.m3u8", 0, {}));
    MediaEngineOutlets reports = engine->reports();
    const std::uint64_t first = engine->lastGeneration;
    reports.state(first, playing(1));
    RunLoop::main().runPending();

    engine->seek(0.5);
    EXPECT_GT(engine->lastGeneration, first);
    auto beforeSeek = VideoFrame::make(4, 4);
    reports.frame(first, beforeSeek);
    RunLoop::main().runPending();
    EXPECT_EQ(engine->latestFrame(), beforeSeek)
        << "a picture of the same media, sent before the seek was seen";

    engine->load(makeMediaRequest("http://127.0.0.1:1/b.m3u8", 0, {}));
    reports.frame(engine->lastGeneration - 1, VideoFrame::make(4, 4));
    reports.state(first, playing(1.5));
    RunLoop::main().runPending();
    EXPECT_EQ(engine->latestFrame(), nullptr) << "a picture of the media before";
    EXPECT_EQ(engine->state().phase, MediaEnginePhase::Loading);
    auto fresh = VideoFrame::make(4, 4);
    reports.frame(engine->lastGeneration, fresh);
    RunLoop::main().runPending();
    EXPECT_EQ(engine->latestFrame(), fresh);
}

// Loads that fail one after another, each failing before its loading state went out
// (the worker saw the error in the same step as the load): every failure reaches the main
// thread, under its own load, also when it reads like the one before.
TEST(MediaEngineGenerations, EachOfQuickFailingLoadsIsReportedAsItsOwn) {
    auto engine = std::make_shared<ScriptedEngine>();
    MediaSessionReport report;
    report.setOutlets(engine->reports());
    for (int load = 1; load <= 5; ++load) {
        engine->load(makeMediaRequest("http://127.0.0.1:1/missing-" + std::to_string(load) + ".m3u8", 0, {}));
        ASSERT_EQ(engine->state().phase, MediaEnginePhase::Loading);
        MediaEngineState failed;
        markFailed(failed, "HTTP 404");
        report.sendState(engine->lastGeneration, failed);
        RunLoop::main().runPending();
        EXPECT_EQ(engine->state().phase, MediaEnginePhase::Failed) << "load " << load;
    }
    // Within one generation an unchanged state is still sent once only.
    int posted = 0;
    MediaEngineOutlets counting;
    counting.state = [&](std::uint64_t, const MediaEngineState&) { ++posted; };
    report.setOutlets(counting);
    report.sendState(9, playing(1));
    report.sendState(9, playing(1));
    EXPECT_EQ(posted, 1);
}

// A state of an older generation that reaches the mailbox after one of the newest, before
// the main thread took either, does not push the newer one out.
TEST(MediaEngineGenerations, ALateStateOfAnOlderGenerationDoesNotReplaceANewerOneWaiting) {
    auto engine = std::make_shared<ScriptedEngine>();
    engine->load(makeMediaRequest("http://127.0.0.1:1/a.m3u8", 0, {}));
    const std::uint64_t first = engine->lastGeneration;
    engine->load(makeMediaRequest("http://127.0.0.1:1/b.m3u8", 0, {}));
    MediaEngineOutlets reports = engine->reports();
    MediaEngineState failed;
    markFailed(failed, "HTTP 404");
    reports.state(engine->lastGeneration, failed);
    reports.state(first, playing(1));
    RunLoop::main().runPending();
    EXPECT_EQ(engine->state().phase, MediaEnginePhase::Failed);
}

} // namespace
