#include "app/Network/KKriplogConsole.h"

#include "tests/support/ConsoleCapture.h"
#include "tests/support/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> numberedLines(int first, int count) {
    std::vector<std::string> lines;
    for (int i = first; i < first + count; ++i) {
        lines.push_back("line " + std::to_string(i));
    }
    return lines;
}

} // namespace

TEST(KKriplogConsole, BurstsAreWrittenWholeAndInOrderIncludingLinesThatCameWhileTheWriterWasBusy) {
    // The writer serves the whole process: lines of earlier tests go out before the
    // capture starts, not into it.
    KKriplogConsole::waitUntilWritten();
    testsupport::ConsoleCapture console;
    for (const auto& line : numberedLines(0, 500)) {
        KKriplogConsole::write(line);
    }
    ASSERT_TRUE(console.waitFor("line 499", 10));
    // The writer lingers after a batch: lines handed over now wake nobody, yet are written.
    for (const auto& line : numberedLines(500, 3)) {
        KKriplogConsole::write(line);
    }
    ASSERT_TRUE(console.waitFor("line 502", 10));
    EXPECT_EQ(console.lines(), numberedLines(0, 503));
}

TEST(KKriplogConsole, WaitingUntilWrittenReturnsOnceEveryLineHandedOverIsOut) {
    KKriplogConsole::waitUntilWritten();
    testsupport::ConsoleCapture console;
    for (const auto& line : numberedLines(0, 200)) {
        KKriplogConsole::write(line);
    }
    KKriplogConsole::waitUntilWritten();
    EXPECT_EQ(console.lines(), numberedLines(0, 200));
}

TEST(KKriplogConsoleDeathTest, LinesStillWaitingAreWrittenBeforeTheProcessEnds) {
    // A child forked from this process would have no writer thread (the writer of the
    // tests before runs here already, perhaps holding its lock): the child is a process
    // of its own instead. Its console goes to its standard error, which the test reads.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string expected;
    for (const auto& line : numberedLines(0, 2000)) {
        expected += line + "\n";
    }
    EXPECT_EXIT(
        {
            ::dup2(STDERR_FILENO, STDOUT_FILENO);
            for (const auto& line : numberedLines(0, 2000)) {
                KKriplogConsole::write(line);
            }
            std::exit(0);
        },
        testing::ExitedWithCode(0), testing::HasSubstr(expected));
}
