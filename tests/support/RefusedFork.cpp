#include "tests/support/RefusedFork.h"

#include <fcntl.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace testsupport {

namespace {

#if defined(__x86_64__)
constexpr std::uint32_t kArchitecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr std::uint32_t kArchitecture = AUDIT_ARCH_AARCH64;
#else
#error "the system call filter knows no architecture for this target"
#endif
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the filter reads a pid as the low half of an argument");

// The calls that start a process.
const std::vector<std::uint32_t> kStartingCalls = {
    __NR_clone,
    __NR_clone3,
#ifdef __NR_fork
    __NR_fork,
#endif
#ifdef __NR_vfork
    __NR_vfork,
#endif
};
// The calls whose first argument is a pid that must be positive.
const std::vector<std::uint32_t> kCallsOnAPid = {__NR_kill, __NR_wait4};

// The filter: a foreign architecture's call ends the process; a call that starts a process
// fails with EAGAIN; a call on a pid ends the process when the pid is 0 or negative.
bool installFilter() {
    std::vector<sock_filter> program = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
    };
    // Where the instructions after the comparisons of the call's number are.
    const std::size_t allow = program.size() + kStartingCalls.size() + kCallsOnAPid.size();
    const std::size_t onAPid = allow + 1;
    const std::size_t end = onAPid + 4;
    const std::size_t refuse = end + 1;
    const auto offset = [&](std::size_t target) {
        return static_cast<std::uint8_t>(target - program.size() - 1);
    };
    for (const auto call : kStartingCalls) {
        program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, call, offset(refuse), 0));
    }
    for (const auto call : kCallsOnAPid) {
        program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, call, offset(onAPid), 0));
    }
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    program.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args)));
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JSET | BPF_K, 0x80000000u, offset(end), 0));
    program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 0, offset(end), 0));
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS));
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EAGAIN & SECCOMP_RET_DATA)));
    if (program.size() != refuse + 1) {
        return false;
    }
    const sock_fprog filter{static_cast<unsigned short>(program.size()), program.data()};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, 0, &filter) == 0;
}

} // namespace

bool RefusedForkRun::answered() const {
    return started && WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0;
}

bool RefusedForkRun::reachedBeyondItsOwnChildren() const {
    return started && WIFSIGNALED(waitStatus) && WTERMSIG(waitStatus) == SIGSYS;
}

RefusedForkRun runWhereForkFails(const std::function<std::string()>& body) {
    RefusedForkRun run;
    int answer[2];
    if (::pipe2(answer, O_CLOEXEC) != 0) {
        return run;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(answer[0]);
        ::close(answer[1]);
        return run;
    }
    if (pid == 0) {
        ::close(answer[0]);
        if (!installFilter()) {
            ::_exit(126);
        }
        const std::string text = body();
        for (std::size_t written = 0; written < text.size();) {
            const ssize_t count = ::write(answer[1], text.data() + written, text.size() - written);
            if (count <= 0) {
                ::_exit(125);
            }
            written += static_cast<std::size_t>(count);
        }
        // Straight out: the exit handlers of the test process are not this process's.
        ::_exit(0);
    }
    run.started = true;
    ::close(answer[1]);
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(answer[0], buffer, sizeof buffer)) != 0) {
        if (count > 0) {
            run.answer.append(buffer, static_cast<std::size_t>(count));
        } else if (errno != EINTR) {
            break;
        }
    }
    ::close(answer[0]);
    while (::waitpid(pid, &run.waitStatus, 0) < 0 && errno == EINTR) {
    }
    return run;
}

} // namespace testsupport
