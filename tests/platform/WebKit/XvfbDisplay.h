#pragma once

#include <string>
#include <sys/types.h>

// A virtual X display for one test: Xvfb on a display number it picks itself, DISPLAY set
// for the processes the test starts, and the server ended with the test.
class XvfbDisplay {
  public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool isRunning() const { return pid_ > 0 && !name_.empty(); }
    // ":N"
    const std::string& name() const { return name_; }
    const std::string& error() const { return error_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
    std::string error_;
};
