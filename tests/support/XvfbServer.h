#pragma once

#include <string>
#include <sys/types.h>

namespace testsupport {

// A private X server for one test: Xvfb with one screen of `screen` (width x height x
// depth) on a display number the server picks itself among the free ones, so that tests
// running side by side (and other X servers on the machine) never ask for the same one.
// While it lives, DISPLAY names it for the process and the programs it starts; the
// server ends and DISPLAY is restored with it.
class XvfbServer {
  public:
    explicit XvfbServer(const std::string& screen = "1024x768x24");
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool isRunning() const { return !display_.empty(); }
    // ":N", or empty when the server could not start (see error()).
    const std::string& display() const { return display_; }
    const std::string& error() const { return error_; }

  private:
    void stop();

    pid_t pid_ = -1;
    std::string display_;
    std::string error_;
    bool hadDisplay_ = false;
    std::string previousDisplay_;
};

} // namespace testsupport
