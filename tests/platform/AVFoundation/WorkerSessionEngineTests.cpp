#include "platform/AVFoundation/Media/WorkerSessionEngine.h"
#include "platform/AVFoundation/Media/WorkerThread.h"
#include "tests/support/WatchedChild.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
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

// Has `engine` load, and waits until its worker is inside the load.
bool startLoading(StalledEngine& engine, StalledSession::Signals& signals) {
    engine.load(makeMediaRequest("http://slow.example/a.m3u8", 0, {}));
    std::unique_lock lock(signals.mutex);
    return signals.changed.wait_for(lock, std::chrono::seconds(10), [&] { return signals.loading; });
}

void release(StalledSession::Signals& signals) {
    std::lock_guard lock(signals.mutex);
    signals.released = true;
    signals.changed.notify_all();
}

// Ends the load after `seconds` in any case, so that a test that fails does not hang.
std::thread releaseAfter(std::shared_ptr<StalledSession::Signals> signals, int seconds) {
    return std::thread([signals, seconds] {
        std::unique_lock lock(signals->mutex);
        if (!signals->changed.wait_for(lock, std::chrono::seconds(seconds),
                                       [&] { return signals->released; })) {
            signals->released = true;
            signals->changed.notify_all();
        }
    });
}

template <class Condition> bool eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The milliseconds after "exit wait " in the output of worker_exit_child; -1 without them.
long exitWait(const std::string& output) {
    const std::string label = "exit wait ";
    const auto at = output.find(label);
    return at == std::string::npos ? -1 : std::stol(output.substr(at + label.size()));
}

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

// A player let go while its library waits on the network, then one whose worker has
// nothing left to do: the second worker's thread is joined as soon as it has finished,
// while the first still waits (its thread is joined once it has finished too).
TEST(WorkerSessionEngine, AWorkerLetGoIsJoinedOnceFinishedWhileOneLetGoEarlierStillWaits) {
    // Workers of earlier tests are joined first, so that the count below is this test's.
    ASSERT_TRUE(eventually([] { return WorkerThread::unjoinedCount() == 0; }));

    auto waiting = std::make_shared<StalledSession::Signals>();
    auto waitingGone = waiting->destroyed.get_future();
    auto first = std::make_unique<StalledEngine>(waiting);
    ASSERT_TRUE(startLoading(*first, *waiting));
    std::thread lookupEnds = releaseAfter(waiting, 30);

    auto quick = std::make_shared<StalledSession::Signals>();
    auto quickGone = quick->destroyed.get_future();
    auto second = std::make_unique<StalledEngine>(quick);

    first.reset();
    second.reset();
    ASSERT_EQ(quickGone.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(quick->finished);
    EXPECT_TRUE(eventually([] { return WorkerThread::unjoinedCount() == 1; }))
        << "the finished worker's thread waits behind the one still waiting: "
        << WorkerThread::unjoinedCount() << " not joined";
    EXPECT_FALSE(waiting->finished);

    release(*waiting);
    lookupEnds.join();
    ASSERT_EQ(waitingGone.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(waiting->finished);
    EXPECT_TRUE(eventually([] { return WorkerThread::unjoinedCount() == 0; }));
}

// A process whose worker let go has finished, and whose other engine is still there (its
// worker running, never let go), exits without waiting for either: the exit's wait, timed
// by the process's exit handlers on either side of it, is far below its 5 s bound.
TEST(WorkerSessionEngine, TheExitDoesNotWaitWhenNoWorkerLetGoIsStillFinishing) {
    const auto child = testsupport::runWatchedChild({ORVEX_WORKER_EXIT_CHILD, "finished"}, {}, 100, 60);
    EXPECT_TRUE(child.exitedCleanly()) << "wait status " << child.waitStatus << "\n" << child.output;
    const long waited = exitWait(child.output);
    EXPECT_GE(waited, 0) << child.output;
    EXPECT_LT(waited, 1000) << child.output;
}

// A library that a worker let go on the main thread loads registers its teardown with the
// exit as it loads (as every library's static objects do), after the exit's wait was
// registered (when an earlier worker was let go). The exit runs its handlers last-registered
// first, and would take the library apart before that wait, while the worker still uses
// it: the exit waits for the worker before anything else.
TEST(WorkerSessionEngine, TheExitWaitsForAWorkerLetGoBeforeTakingItsLibrariesApart) {
    const auto child =
        testsupport::runWatchedChild({ORVEX_WORKER_EXIT_CHILD, "library-of-a-worker"}, {}, 100, 60);
    EXPECT_TRUE(child.exitedCleanly()) << "wait status " << child.waitStatus << "\n" << child.output;
    EXPECT_NE(child.output.find("intact"), std::string::npos) << child.output;
}

// A worker let go while its library waits on the network, past the exit's wait: the call
// returns while the process destroys its static objects, and the worker finishes, frees
// its session and is joined then. Nothing it reaches has been destroyed (the fault shows
// as a use after free under AddressSanitizer, and the process then fails).
TEST(WorkerSessionEngine, AWorkerStillRunningPastTheExitsWaitReachesNothingTheExitDestroyed) {
    const auto child = testsupport::runWatchedChild({ORVEX_WORKER_EXIT_CHILD, "past-the-wait"}, {}, 100, 60);
    EXPECT_TRUE(child.exitedCleanly()) << "wait status " << child.waitStatus << "\n" << child.output;
    const long waited = exitWait(child.output);
    EXPECT_GE(waited, 4900) << "the exit did not wait for the worker still finishing\n" << child.output;
    EXPECT_LT(waited, 10000) << child.output;
    // In this order, all after the exit's wait.
    const auto wait = child.output.find("exit wait");
    const auto finished = child.output.find("finished");
    const auto gone = child.output.find("gone");
    const auto joined = child.output.find("joined");
    EXPECT_NE(joined, std::string::npos) << child.output;
    EXPECT_TRUE(wait < finished && finished < gone && gone < joined) << child.output;
}

} // namespace
