#include "platform/Foundation/DispatchQueue.h"
#include "platform/Foundation/Once.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/Foundation/Timer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

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
