#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// Collects the lines written to standard output while it lives (into a file, which a
// test may read at any time, for example while it waits for a line). Test failures are
// also written to standard error the moment they happen, so that they come first in a
// failing test's output, ahead of the console lines that are written back at the end.
class ConsoleCapture {
  public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    // The lines so far.
    std::vector<std::string> lines() const;
    // Runs the main loop until `line` has been written; false after the timeout.
    bool waitFor(const std::string& line, double seconds = 30) const;

  private:
    class FailureEcho;

    int savedStdout_ = -1;
    std::filesystem::path file_;
    FailureEcho* echo_ = nullptr; // owned by the test framework's listener list while set
};

} // namespace testsupport
