#pragma once

#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace hosttest {

// A private X server for the duration of a test, with one screen of `screen` (width x
// height x depth); display() is empty when none could be started.
class XvfbServer {
  public:
    explicit XvfbServer(const std::string& screen = "1024x768x24") {
        for (int display = 90; display < 190; ++display) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
            const std::string lock = "/tmp/.X" + std::to_string(display) + "-lock";
            if (std::filesystem::exists(socket) || std::filesystem::exists(lock)) {
                continue;
            }
            const std::string name = ":" + std::to_string(display);
            const char* argv[] = {"Xvfb",         name.c_str(), "-screen", "0",
                                  screen.c_str(), "-nolisten",  "tcp",     nullptr};
            if (posix_spawnp(&pid_, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
                pid_ = 0;
                return;
            }
            for (int i = 0; i < 500 && !std::filesystem::exists(socket); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                    pid_ = 0;
                    break;
                }
            }
            if (pid_ != 0 && std::filesystem::exists(socket)) {
                display_ = name;
                return;
            }
        }
    }
    ~XvfbServer() {
        if (pid_ != 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

  private:
    pid_t pid_ = 0;
    std::string display_;
};

} // namespace hosttest
