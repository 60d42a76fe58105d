#include "tests/support/ConsoleCapture.h"

#include "platform/Foundation/RunLoop.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace testsupport {

class ConsoleCapture::FailureEcho : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (result.failed()) {
            std::fprintf(stderr, "%s:%d: Failure\n%s\n", result.file_name() ? result.file_name() : "?",
                         result.line_number(), result.message());
            std::fflush(stderr);
        }
    }
};

ConsoleCapture::ConsoleCapture() : file_(freshFolder("console") / "stdout.txt") {
    std::fflush(stdout);
    const int capture = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (capture < 0) {
        ADD_FAILURE() << "cannot capture the console";
        return;
    }
    savedStdout_ = ::dup(STDOUT_FILENO);
    ::dup2(capture, STDOUT_FILENO);
    ::close(capture);
    echo_ = new FailureEcho;
    testing::UnitTest::GetInstance()->listeners().Append(echo_);
}

ConsoleCapture::~ConsoleCapture() {
    if (savedStdout_ < 0) {
        return;
    }
    delete testing::UnitTest::GetInstance()->listeners().Release(echo_);
    std::fflush(stdout);
    ::dup2(savedStdout_, STDOUT_FILENO);
    ::close(savedStdout_);
    // What was captured goes on to the console after all (the failures again among it).
    for (const auto& line : lines()) {
        std::printf("%s\n", line.c_str());
    }
    std::fflush(stdout);
}

std::vector<std::string> ConsoleCapture::lines() const {
    std::fflush(stdout);
    std::vector<std::string> lines;
    std::ifstream text(file_);
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool ConsoleCapture::waitFor(const std::string& line, double seconds) const {
    return RunLoop::main().runUntil(
        [&] {
            const auto current = lines();
            return std::find(current.begin(), current.end(), line) != current.end();
        },
        seconds);
}

} // namespace testsupport
