#pragma once

#include <functional>
#include <string>

namespace testsupport {

// How a body run by runWhereForkFails went.
struct RefusedForkRun {
    bool started = false; // the process for the body was started
    int waitStatus = 0;   // of that process, as waitpid gives it
    std::string answer;   // what the body answered
    // The body answered and its process ended normally.
    bool answered() const;
    // The body's process was stopped as it waited for, or signalled, a pid that is not
    // positive (any child, a process group, or every process the user may signal).
    bool reachedBeyondItsOwnChildren() const;
};

// Runs `body` in a process of its own, forked from this one, where no new process can be
// started: fork, vfork, clone and clone3 fail there with EAGAIN, as when the user's limit
// of processes is reached (a limit that does not hold for root). Waiting for or signalling
// a pid that is not positive is never carried out there: it ends that process at once with
// SIGSYS, so nothing outside is reached and the test sees it. `body` starts no threads
// and answers a text for the test to check.
RefusedForkRun runWhereForkFails(const std::function<std::string()>& body);

} // namespace testsupport
