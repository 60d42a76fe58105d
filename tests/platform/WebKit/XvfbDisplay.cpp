#include "tests/platform/WebKit/XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

XvfbDisplay::XvfbDisplay() {
    int pipe[2];
    if (::pipe(pipe) != 0) {
        error_ = "no pipe";
        return;
    }
    // Xvfb chooses a free display number and writes it to the descriptor it is given.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, pipe[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> arguments = {"Xvfb",      "-displayfd", std::to_string(pipe[1]),
                                          "-screen",   "0",          "800x1000x24",
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
        error_ = "Xvfb could not start";
        return;
    }
    std::string number;
    pollfd waiting{pipe[0], POLLIN, 0};
    char c;
    while (::poll(&waiting, 1, 20000) > 0 && ::read(pipe[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    ::close(pipe[0]);
    if (number.empty()) {
        error_ = "Xvfb named no display";
        return;
    }
    name_ = ":" + number;
    ::setenv("DISPLAY", name_.c_str(), 1);
}

XvfbDisplay::~XvfbDisplay() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
    ::unsetenv("DISPLAY");
}
