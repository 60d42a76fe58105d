#pragma once

#include <csignal>
#include <functional>
#include <string>
#include <vector>

// Runs work in a forked child process that reports what it did, one line at a time,
// through a pipe; the parent collects the lines (those written before a crash too).
namespace childprocess {

// Reports one line from the child (written whole, so lines never interleave).
void report(const std::string& line);

struct Outcome {
    std::string startError; // why the child could not be forked; empty when it was
    int waitStatus = 0;
    std::vector<std::string> lines;
    bool killed() const;
    bool exitedCleanly() const;
};

// Forks; the child runs `body` and exits. The parent reads the child's lines and, as
// soon as `killWhen(lines so far)` answers true, kills the child with SIGKILL. When no
// child can be forked, `startError` says so and nothing is waited for or signalled.
Outcome run(const std::function<void()>& body,
            const std::function<bool(const std::vector<std::string>&)>& killWhen = nullptr);

// Lets the file permissions apply to this process even when it runs as root.
bool dropFileAccessOverride();

} // namespace childprocess
