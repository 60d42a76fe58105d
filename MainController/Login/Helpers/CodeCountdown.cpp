#include "MainController/Login/Helpers/CodeCountdown.h"

#include "platform/UIKit/Controls/UIButton.h"

#include <string>

void CodeCountdown::start() {
    cancel();
    const auto button = button_.lock();
    if (!button) {
        return;
    }
    counter_ = seconds;
    button->setEnabled(false);
    button->setTitle(std::to_string(counter_) + "s", UIControlStateDisabled);
    // The timer belongs to this countdown and stops when it is dropped, so the block may
    // reach the countdown directly.
    timer_ = Timer::scheduledTimer(1.0, true, [this](Timer&) { tick(); });
}

void CodeCountdown::cancel() {
    if (timer_) {
        timer_->invalidate();
        timer_.reset();
    }
}

void CodeCountdown::tick() {
    const auto button = button_.lock();
    if (!button) {
        cancel();
        return;
    }
    counter_ -= 1;
    button->setTitle(std::to_string(counter_) + "s", UIControlStateDisabled);
    if (counter_ < 1) {
        button->setTitle("发送验证码", UIControlStateNormal);
        button->setEnabled(true);
        cancel();
    }
}
