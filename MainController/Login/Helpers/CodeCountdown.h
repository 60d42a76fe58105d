#pragma once

#include "platform/Foundation/Timer.h"

#include <memory>

class UIButton;

// The 60-second wait after a verification code was sent: the code button is disabled and
// reads "60s", then one second less at every firing of a repeating 1-second timer; below 1
// it reads "发送验证码" again and is enabled. The page that owns the countdown owns its
// timer, so the countdown ends with the page and never touches a button that is gone.
class CodeCountdown {
  public:
    static constexpr int seconds = 60;

    explicit CodeCountdown(std::weak_ptr<UIButton> button) : button_(std::move(button)) {}
    ~CodeCountdown() { cancel(); }
    CodeCountdown(const CodeCountdown&) = delete;
    CodeCountdown& operator=(const CodeCountdown&) = delete;

    // Starts again at 60 (a countdown still running is replaced).
    void start();
    void cancel();
    bool isRunning() const { return timer_ != nullptr; }
    const std::shared_ptr<Timer>& timer() const { return timer_; }

  private:
    void tick();

    std::weak_ptr<UIButton> button_;
    std::shared_ptr<Timer> timer_;
    int counter_ = 0;
};
