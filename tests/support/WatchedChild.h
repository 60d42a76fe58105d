#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace testsupport {

// A program run as a child process and watched from outside, as a user watching `top`
// would: how many threads it had at most (sampled every 10 ms) and whether it ended by
// itself in the time it was given.
struct WatchedChild {
    std::string startError; // why it could not be started; empty when it was
    bool ended = false;     // ended by itself, in time and within the thread limit
    int waitStatus = 0;     // as waitpid gives it
    std::size_t mostThreads = 0;
    std::string output; // its standard output
    bool exitedCleanly() const;
};

// Runs `arguments` (the program first) with this process's environment and `environment`
// ("NAME=value", added or replacing) and watches it. A child that goes past `threadLimit`
// threads or `seconds` of real time is killed at once. A child that cannot be started (no
// process left for it) is a result of its own: `startError` says why, and nothing is
// waited for or signalled.
WatchedChild runWatchedChild(const std::vector<std::string>& arguments,
                             const std::vector<std::string>& environment, std::size_t threadLimit,
                             double seconds);

} // namespace testsupport
