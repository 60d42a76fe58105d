#include "app/Network/KKriplogConsole.h"

#include "platform/Foundation/AtomicFile.h"
#include "tests/support/ConsoleCapture.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
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

TEST(KKriplogConsoleDeathTest, LinesStillWaitingAreWrittenBeforeTheProcessEnds) {
    const auto file = testsupport::freshFolder("console-at-exit") / "stdout.txt";
    EXPECT_EXIT(
        {
            const int output = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(output, STDOUT_FILENO);
            for (const auto& line : numberedLines(0, 2000)) {
                KKriplogConsole::write(line);
            }
            std::exit(0);
        },
        testing::ExitedWithCode(0), "");
    std::string expected;
    for (const auto& line : numberedLines(0, 2000)) {
        expected += line + "\n";
    }
    EXPECT_EQ(readWholeFile(file).value_or(""), expected);
}
