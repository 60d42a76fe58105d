#include "tests/support/XvfbServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

extern char** environ;

namespace testsupport {

namespace {

// How long the server may take to name its display.
constexpr int kStartTimeoutMs = 20000;

} // namespace

XvfbServer::XvfbServer(const std::string& screen) {
    int pipe[2];
    if (::pipe(pipe) != 0) {
        error_ = "no pipe for Xvfb's display number";
        return;
    }
    // With -displayfd the server takes the first free display number, and writes it to the
    // descriptor once it accepts connections.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipe[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> arguments = {"Xvfb",      "-displayfd", std::to_string(pipe[1]),
                                          "-screen",   "0",          screen,
                                          "-nolisten", "tcp",        "-noreset"};
    std::vector<char*> argv;
    for (auto& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    const int spawned = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    if (spawned != 0) {
        pid_ = -1;
        ::close(pipe[0]);
        error_ = "Xvfb could not be started";
        return;
    }
    // The number ends with a new line; an end of file first means the server gave up.
    std::string number;
    pollfd waiting{pipe[0], POLLIN, 0};
    char c = 0;
    while (::poll(&waiting, 1, kStartTimeoutMs) > 0 && ::read(pipe[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    ::close(pipe[0]);
    if (number.empty() || c != '\n') {
        stop();
        error_ = "Xvfb named no display";
        return;
    }
    display_ = ":" + number;
    if (const char* previous = std::getenv("DISPLAY"); previous != nullptr) {
        hadDisplay_ = true;
        previousDisplay_ = previous;
    }
    ::setenv("DISPLAY", display_.c_str(), 1);
}

XvfbServer::~XvfbServer() {
    stop();
    if (!display_.empty()) {
        if (hadDisplay_) {
            ::setenv("DISPLAY", previousDisplay_.c_str(), 1);
        } else {
            ::unsetenv("DISPLAY");
        }
    }
}

void XvfbServer::stop() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

} // namespace testsupport
