// The forked writer of the store failure tests, when no process can be forked: the outcome
// says so, instead of a wait for any child standing for the writer's end.

#include "tests/app/Records/ChildProcess.h"
#include "tests/support/RefusedFork.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

TEST(ChildProcess, AChildThatCannotBeForkedIsReportedAndNothingElseIsReached) {
    const auto run = testsupport::runWhereForkFails([] {
        const auto outcome = childprocess::run([] { childprocess::report("ran"); });
        return std::string(outcome.exitedCleanly() || outcome.killed() ? "ended" : "not ended") + "; " +
               outcome.startError + "; " + std::to_string(outcome.lines.size()) + " lines";
    });
    ASSERT_TRUE(run.started);
    ASSERT_FALSE(run.reachedBeyondItsOwnChildren())
        << "it waited for or signalled a pid that is not positive";
    ASSERT_TRUE(run.answered()) << "wait status " << run.waitStatus;
    EXPECT_EQ(run.answer, "not ended; fork failed: " + std::string(std::strerror(EAGAIN)) + "; 0 lines");

    const auto outcome = childprocess::run([] { childprocess::report("ran"); });
    EXPECT_TRUE(outcome.exitedCleanly()) << outcome.startError;
    EXPECT_EQ(outcome.lines, (std::vector<std::string>{"ran"}));
}
