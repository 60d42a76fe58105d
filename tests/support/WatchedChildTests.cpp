// A watched child that cannot be started, as when the threads and processes of a faulty
// run use up what the user may have: the result says so, and neither every child nor every
// process the user may signal is waited for or killed in its place.

#include "tests/support/RefusedFork.h"
#include "tests/support/WatchedChild.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

TEST(WatchedChild, AProgramThatCannotBeStartedIsReportedAndNothingElseIsReached) {
    const auto run = testsupport::runWhereForkFails([] {
        const auto child = testsupport::runWatchedChild({"/bin/true"}, {}, 10, 5);
        return std::string(child.exitedCleanly() ? "clean" : "not clean") + "; " + child.startError;
    });
    ASSERT_TRUE(run.started);
    ASSERT_FALSE(run.reachedBeyondItsOwnChildren())
        << "it waited for or signalled a pid that is not positive";
    ASSERT_TRUE(run.answered()) << "wait status " << run.waitStatus;
    EXPECT_EQ(run.answer, "not clean; could not start /bin/true: " + std::string(std::strerror(EAGAIN)));

    const auto started = testsupport::runWatchedChild({"/bin/true"}, {}, 10, 60);
    EXPECT_TRUE(started.exitedCleanly())
        << "wait status " << started.waitStatus << ", " << started.startError;
    EXPECT_EQ(started.startError, "");
}
