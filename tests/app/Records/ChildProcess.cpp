#include "tests/app/Records/ChildProcess.h"

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace childprocess {

namespace {
int reportFd = -1;
}

void report(const std::string& line) {
    const std::string whole = line + "\n";
    (void)!::write(reportFd, whole.data(), whole.size());
}

bool Outcome::killed() const {
    return startError.empty() && WIFSIGNALED(waitStatus) && WTERMSIG(waitStatus) == SIGKILL;
}

bool Outcome::exitedCleanly() const {
    return startError.empty() && WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0;
}

Outcome run(const std::function<void()>& body,
            const std::function<bool(const std::vector<std::string>&)>& killWhen) {
    int fds[2];
    if (::pipe(fds) != 0) {
        std::abort();
    }
    Outcome outcome;
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        outcome.startError = std::string("fork failed: ") + std::strerror(error);
        ::close(fds[0]);
        ::close(fds[1]);
        return outcome;
    }
    if (pid == 0) {
        ::close(fds[0]);
        reportFd = fds[1];
        body();
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string pending;
    bool killSent = false;
    char buffer[4096];
    while (true) {
        const ssize_t count = ::read(fds[0], buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            break;
        }
        pending.append(buffer, static_cast<std::size_t>(count));
        for (auto newline = pending.find('\n'); newline != std::string::npos; newline = pending.find('\n')) {
            outcome.lines.push_back(pending.substr(0, newline));
            pending.erase(0, newline + 1);
        }
        if (!killSent && killWhen && killWhen(outcome.lines)) {
            ::kill(pid, SIGKILL);
            killSent = true;
        }
    }
    ::close(fds[0]);
    while (::waitpid(pid, &outcome.waitStatus, 0) < 0 && errno == EINTR) {
    }
    return outcome;
}

bool dropFileAccessOverride() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    for (int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        data[capability / 32].effective &= ~(1u << (capability % 32));
    }
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace childprocess
