#include "platform/AVFoundation/Media/WorkerSessionEngine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace {

// A session whose load waits like a name lookup that does not answer, until the test
// lets it go; it tells when it has finished and when it is gone.
class StalledSession {
  public:
    struct Signals {
        std::mutex mutex;
        std::condition_variable changed;
        bool loading = false;
        bool released = false;
        std::atomic<bool> finished{false};
        std::promise<void> destroyed;
    };

    explicit StalledSession(std::shared_ptr<Signals> signals) : signals_(std::move(signals)) {}
    ~StalledSession() { signals_->destroyed.set_value(); }

    void setOutlets(MediaEngineOutlets) {}
    void start() {}
    void step() {}
    void finish() { signals_->finished = true; }
    void load(std::uint64_t, const MediaRequest&, bool) {
        std::unique_lock lock(signals_->mutex);
        signals_->loading = true;
        signals_->changed.notify_all();
        signals_->changed.wait(lock, [&] { return signals_->released; });
    }
    void stop(std::uint64_t) {}
    void setPaused(bool) {}
    void setRate(double) {}
    void setVolume(double, bool) {}
    void seek(std::uint64_t, std::uint64_t, double) {}

  private:
    std::shared_ptr<Signals> signals_;
};

class StalledEngine final : public WorkerSessionEngine<StalledSession> {
  public:
    explicit StalledEngine(std::shared_ptr<StalledSession::Signals> signals) : WorkerSessionEngine(0.05) {
        launch(std::make_shared<StalledSession>(std::move(signals)));
    }
};

// An engine is let go on the main thread as a player closes; its worker may be inside a
// library call that waits on the network. Letting it go returns at once, and the worker
// still finishes the session (and frees it) once the call returns.
TEST(WorkerSessionEngine, IsLetGoAtOnceWhileItsWorkerWaitsAndFinishesAfter) {
    auto signals = std::make_shared<StalledSession::Signals>();
    auto destroyed = signals->destroyed.get_future();
    auto engine = std::make_unique<StalledEngine>(signals);
    engine->load(makeMediaRequest("http://slow.example/a.m3u8", 0, {}));
    {
        std::unique_lock lock(signals->mutex);
        ASSERT_TRUE(
            signals->changed.wait_for(lock, std::chrono::seconds(10), [&] { return signals->loading; }));
    }

    const auto release = [signals] {
        std::lock_guard lock(signals->mutex);
        signals->released = true;
        signals->changed.notify_all();
    };
    // The call ends after 4 s in any case, so that an engine that waits for its worker
    // fails here instead of hanging.
    std::thread lookupEnds([signals, release] {
        std::unique_lock lock(signals->mutex);
        if (!signals->changed.wait_for(lock, std::chrono::seconds(4), [&] { return signals->released; })) {
            lock.unlock();
            release();
        }
    });

    const auto before = std::chrono::steady_clock::now();
    engine.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2))
        << "the main thread waited for the worker";
    EXPECT_FALSE(signals->finished);

    release();
    lookupEnds.join();
    ASSERT_EQ(destroyed.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(signals->finished);
}

} // namespace
