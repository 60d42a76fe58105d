#include "tests/support/WatchedChild.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <map>

extern char** environ;

namespace testsupport {

namespace {

std::size_t threadsOf(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Threads:", 0) == 0) {
            return std::stoul(line.substr(8));
        }
    }
    return 0;
}

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& added) {
    std::map<std::string, std::string> byName;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        byName[text.substr(0, text.find('='))] = text;
    }
    for (const auto& text : added) {
        byName[text.substr(0, text.find('='))] = text;
    }
    std::vector<std::string> merged;
    for (auto& [name, text] : byName) {
        merged.push_back(std::move(text));
    }
    return merged;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

bool WatchedChild::exitedCleanly() const {
    return ended && WIFEXITED(waitStatus) && WEXITSTATUS(waitStatus) == 0;
}

WatchedChild runWatchedChild(const std::vector<std::string>& arguments,
                             const std::vector<std::string>& environment, std::size_t threadLimit,
                             double seconds) {
    std::vector<std::string> argumentTexts = arguments;
    std::vector<std::string> environmentTexts = mergedEnvironment(environment);
    const auto argv = pointersTo(argumentTexts);
    const auto envp = pointersTo(environmentTexts);
    WatchedChild watched;
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0) {
        const int error = errno;
        watched.startError = "no pipe for the output of " + arguments[0] + ": " + std::strerror(error);
        return watched;
    }
    const pid_t pid = ::fork();
    if (pid < 0) {
        const int error = errno;
        watched.startError = "could not start " + arguments[0] + ": " + std::strerror(error);
        ::close(output[0]);
        ::close(output[1]);
        return watched;
    }
    if (pid == 0) {
        ::dup2(output[1], STDOUT_FILENO);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(output[1]);
    // Reads what the child has written so far, waiting at most `milliseconds` for it.
    const auto readOutput = [&](int milliseconds) {
        pollfd readable{output[0], POLLIN, 0};
        if (::poll(&readable, 1, milliseconds) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t count = ::read(output[0], buffer, sizeof buffer);
        if (count <= 0) {
            return false;
        }
        watched.output.append(buffer, static_cast<std::size_t>(count));
        return true;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        if (!readOutput(10)) {
            ::usleep(10000); // nothing to read, or the output is closed while the child ends
        }
        if (::waitpid(pid, &watched.waitStatus, WNOHANG) == pid) {
            watched.ended = true;
            break;
        }
        const std::size_t threads = threadsOf(pid);
        watched.mostThreads = std::max(watched.mostThreads, threads);
        if (threads > threadLimit || std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &watched.waitStatus, 0);
            break;
        }
    }
    while (readOutput(0)) {
    }
    ::close(output[0]);
    return watched;
}

} // namespace testsupport
