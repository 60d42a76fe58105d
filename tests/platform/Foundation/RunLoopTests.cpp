#include "platform/Foundation/DispatchQueue.h"
#include "platform/Foundation/Once.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Foundation/Timer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <unistd.h>

#include <csignal>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// A pipe, closed at the end.
struct Pipe {
    Pipe() { EXPECT_EQ(::pipe(ends), 0); }
    ~Pipe() {
        ::close(ends[0]);
        ::close(ends[1]);
    }
    void write() const { EXPECT_EQ(::write(ends[1], "x", 1), 1); }
    int ends[2] = {-1, -1};
};

// A source waiting on a pipe's reading end and, when given one, a moment; it records
// the threads it ran on and reads what came.
class PipeSource final : public RunLoopSource {
  public:
    explicit PipeSource(int descriptor) : descriptor_(descriptor) {}
    void addDescriptors(std::vector<pollfd>& descriptors) override {
        descriptors.push_back(pollfd{descriptor_, POLLIN, 0});
    }
    std::optional<std::chrono::steady_clock::time_point> deadline() override { return due; }
    void perform(std::span<const pollfd> descriptors) override {
        ASSERT_EQ(descriptors.size(), 1u);
        if ((descriptors[0].revents & POLLIN) != 0) {
            char byte;
            bytesRead += static_cast<int>(::read(descriptor_, &byte, 1));
        }
        due.reset();
        threads.push_back(std::this_thread::get_id());
    }
    std::optional<std::chrono::steady_clock::time_point> due;
    int bytesRead = 0;
    std::vector<std::thread::id> threads;

  private:
    int descriptor_;
};

class RunLoopTest : public testing::Test {
  protected:
    void SetUp() override { clock = testsupport::useVirtualClock(); }
    std::shared_ptr<VirtualClock> clock;
    RunLoop& loop = RunLoop::main();
};

TEST_F(RunLoopTest, DelayedTasksRunAtTheirVirtualMomentInOrder) {
    std::vector<std::pair<int, double>> ran;
    loop.post([&] { ran.emplace_back(3, loop.now()); }, 0.3);
    loop.post([&] { ran.emplace_back(1, loop.now()); }, 0.1);
    loop.post([&] { ran.emplace_back(2, loop.now()); }, 0.1);
    loop.post([&] { ran.emplace_back(0, loop.now()); });

    loop.runPending();
    ASSERT_EQ(ran.size(), 1u);
    loop.advance(0.099);
    EXPECT_EQ(ran.size(), 1u);
    loop.advance(0.001);
    ASSERT_EQ(ran.size(), 3u);
    EXPECT_EQ(ran[1].first, 1);
    EXPECT_EQ(ran[2].first, 2);
    EXPECT_DOUBLE_EQ(ran[1].second, 0.1);
    loop.advance(1);
    ASSERT_EQ(ran.size(), 4u);
    EXPECT_DOUBLE_EQ(ran[3].second, 0.3);
    EXPECT_DOUBLE_EQ(loop.now(), 1.1);
}

TEST_F(RunLoopTest, WorkPostedDuringAdvanceRunsAtItsOwnMoment) {
    std::vector<double> moments;
    loop.post(
        [&] {
            moments.push_back(loop.now());
            loop.post([&] { moments.push_back(loop.now()); }, 0.5);
        },
        0.25);
    loop.advance(1);
    ASSERT_EQ(moments.size(), 2u);
    EXPECT_DOUBLE_EQ(moments[0], 0.25);
    EXPECT_DOUBLE_EQ(moments[1], 0.75);
}

TEST_F(RunLoopTest, CancelledTaskNeverRuns) {
    bool ran = false;
    auto id = loop.post([&] { ran = true; }, 0.2);
    loop.cancel(id);
    loop.advance(1);
    EXPECT_FALSE(ran);
}

TEST_F(RunLoopTest, WorkFromOtherThreadsRunsOnTheLoopThread) {
    std::atomic<int> count{0};
    std::thread::id loopThread = std::this_thread::get_id();
    bool allOnLoop = true;
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            for (int j = 0; j < 50; ++j) {
                DispatchQueue::main().async([&] {
                    allOnLoop = allOnLoop && std::this_thread::get_id() == loopThread;
                    ++count;
                });
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_TRUE(loop.runUntil([&] { return count == 200; }, 10));
    EXPECT_TRUE(allOnLoop);
}

// A loop waiting (in real time) for work is woken by work posted from another thread and
// by stop(), however the post falls against the moment the loop goes to sleep: a lost
// wake-up would leave it waiting the hour out.
TEST_F(RunLoopTest, AWaitingLoopWakesForWorkFromAnotherThreadAndForStop) {
    loop.setClock(std::make_shared<SystemClock>());
    for (int i = 0; i < 200; ++i) {
        bool ran = false;
        std::thread poster([&] { DispatchQueue::main().async([&] { ran = true; }); });
        while (!ran) {
            loop.runOnce(3600);
        }
        poster.join();
    }
    for (int i = 0; i < 20; ++i) {
        std::thread stopper;
        loop.post([&] { stopper = std::thread([&] { loop.stop(); }); });
        loop.run();
        stopper.join();
    }
}

// A source runs on the loop thread when its descriptor has input (the loop waiting
// without end wakes for it), when its moment comes, and from runPending when ready;
// never once removed. A host's descriptor ends a wait too.
TEST_F(RunLoopTest, SourcesRunWhenTheirDescriptorIsReadyOrTheirMomentComes) {
    loop.setClock(std::make_shared<SystemClock>());
    Pipe pipe;
    PipeSource source(pipe.ends[0]);
    loop.addSource(source);
    std::thread writer([&] { pipe.write(); });
    while (source.bytesRead == 0) {
        loop.runOnce(3600);
    }
    writer.join();
    EXPECT_EQ(source.threads, std::vector{std::this_thread::get_id()});

    source.due = std::chrono::steady_clock::now();
    loop.runOnce(3600);
    EXPECT_EQ(source.threads.size(), 2u);
    EXPECT_EQ(source.bytesRead, 1);

    pipe.write();
    loop.runPending();
    EXPECT_EQ(source.bytesRead, 2);

    loop.removeSource(source);
    pipe.write();
    loop.runOnce(0.01);
    EXPECT_EQ(source.bytesRead, 2);

    Pipe host;
    host.write();
    loop.waitForWork(-1, host.ends[0]); // returns at once: the host's input is there
}

// A source's work asked for from another thread, with the loop woken, at the moment the
// loop asks its sources what they wait for (here: from within that question), is not
// lost: the wait that follows ends at once instead of sleeping its time out.
TEST_F(RunLoopTest, AWakeUpAskedForWhileTheSourcesAreAskedEndsTheWait) {
    loop.setClock(std::make_shared<SystemClock>());
    class AskedFromAnotherThread final : public RunLoopSource {
      public:
        void addDescriptors(std::vector<pollfd>&) override {}
        std::optional<std::chrono::steady_clock::time_point> deadline() override {
            if (asked_) {
                return std::chrono::steady_clock::time_point(); // at once
            }
            std::thread([this] {
                asked_ = true;
                RunLoop::main().wakeUp();
            }).join();
            return std::nullopt;
        }
        void perform(std::span<const pollfd>) override {
            asked_ = false;
            ++performed;
        }
        int performed = 0;

      private:
        std::atomic<bool> asked_{false};
    } source;
    loop.addSource(source);
    const auto started = std::chrono::steady_clock::now();
    loop.waitForWork(10);
    const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - started;
    loop.removeSource(source);
    EXPECT_EQ(source.performed, 1);
    EXPECT_LT(waited.count(), 5) << "the wake-up was lost";
}

// Signals that interrupt a timed wait (and ask nothing of the loop) neither end it early
// nor start its time again: it ends at its deadline.
TEST_F(RunLoopTest, ATimedWaitInterruptedBySignalsEndsAtItsDeadline) {
    loop.setClock(std::make_shared<SystemClock>());
    struct sigaction ignore {};
    ignore.sa_handler = [](int) {};
    sigemptyset(&ignore.sa_mask);
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGUSR1, &ignore, &previous), 0);
    const pthread_t loopThread = ::pthread_self();
    std::atomic<bool> waited{false};
    std::thread interrupter([&] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(6);
        while (!waited && std::chrono::steady_clock::now() < giveUp) {
            ::pthread_kill(loopThread, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const auto started = std::chrono::steady_clock::now();
    loop.waitForWork(0.5);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    waited = true;
    interrupter.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_GE(elapsed.count(), 0.499);
    EXPECT_LT(elapsed.count(), 4) << "each signal started the wait's time again";
}

TEST_F(RunLoopTest, RepeatingTimerFiresEveryIntervalUntilInvalidated) {
    std::vector<double> fires;
    auto timer = Timer::scheduledTimer(0.5, true, [&](Timer& self) {
        fires.push_back(loop.now());
        if (fires.size() == 3) {
            self.invalidate();
        }
    });
    loop.advance(5);
    EXPECT_EQ(fires, (std::vector<double>{0.5, 1.0, 1.5}));
    EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoopTest, DroppedTimerStopsFiring) {
    int fires = 0;
    auto timer = Timer::scheduledTimer(0.1, true, [&](Timer&) { ++fires; });
    loop.advance(0.35);
    EXPECT_EQ(fires, 3);
    timer.reset();
    loop.advance(1);
    EXPECT_EQ(fires, 3);
}

TEST_F(RunLoopTest, OneShotTimerFiresOnceAndBecomesInvalid) {
    int fires = 0;
    auto timer = Timer::scheduledTimer(1, false, [&](Timer&) { ++fires; });
    loop.advance(10);
    EXPECT_EQ(fires, 1);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoopTest, GlobalQueueRunsWorkOffTheMainThread) {
    std::atomic<bool> offMain{false};
    std::atomic<bool> done{false};
    const auto mainThread = std::this_thread::get_id();
    DispatchQueue::global().async([&] {
        offMain = std::this_thread::get_id() != mainThread;
        DispatchQueue::main().async([&] { done = true; });
    });
    EXPECT_TRUE(loop.runUntil([&] { return done.load(); }, 10));
    EXPECT_TRUE(offMain);
}

// Work on the global queue that outlives main() still hands its results to the main
// queue while the process's static objects are destroyed.
TEST(RunLoopDeathTest, PostingWhileTheProcessEndsIsHarmless) {
    EXPECT_EXIT(
        {
            RunLoop::main();
            for (int worker = 0; worker < 4; ++worker) {
                DispatchQueue::global().async([] {
                    while (true) {
                        DispatchQueue::main().async([] {});
                        RunLoop::main().post([] {}, 1);
                    }
                });
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
}

TEST(Once, BodyRunsOnceAcrossThreads) {
    OnceToken token;
    std::atomic<int> runs{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) {
        threads.emplace_back([&] { dispatchOnce(token, [&] { ++runs; }); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(runs, 1);
}

} // namespace
