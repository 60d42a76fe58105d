#include "platform/UIKit/UITapGestureRecognizer.h"

#include "platform/UIKit/UITouch.h"

#include <cmath>

namespace {
constexpr double kTapSlop = 10;
constexpr double kNextTapDelay = 0.35;
} // namespace

UITapGestureRecognizer::~UITapGestureRecognizer() {
    cancelTimer();
}

void UITapGestureRecognizer::cancelTimer() {
    if (timer_ != 0) {
        RunLoop::main().cancel(timer_);
        timer_ = 0;
    }
}

void UITapGestureRecognizer::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches,
                                          UIEvent* event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (state() != UIGestureRecognizerState::possible) {
        return;
    }
    cancelTimer();
    if (taps_ > 0 && std::hypot(lastLocation_.x - start_.x, lastLocation_.y - start_.y) > kTapSlop * 2) {
        setState(UIGestureRecognizerState::failed);
        return;
    }
    if (taps_ == 0) {
        start_ = lastLocation_;
    }
}

void UITapGestureRecognizer::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches,
                                          UIEvent* event) {
    UIGestureRecognizer::touchesMoved(touches, event);
    if (state() == UIGestureRecognizerState::possible &&
        std::hypot(lastLocation_.x - start_.x, lastLocation_.y - start_.y) > kTapSlop) {
        setState(UIGestureRecognizerState::failed);
    }
}

void UITapGestureRecognizer::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches,
                                          UIEvent* event) {
    UIGestureRecognizer::touchesEnded(touches, event);
    if (state() != UIGestureRecognizerState::possible) {
        return;
    }
    ++taps_;
    if (taps_ >= numberOfTapsRequired) {
        setState(UIGestureRecognizerState::ended);
        return;
    }
    std::weak_ptr<UIGestureRecognizer> weak = weak_from_this();
    timer_ = RunLoop::main().post(
        [weak] {
            if (auto self = std::static_pointer_cast<UITapGestureRecognizer>(weak.lock())) {
                self->timer_ = 0;
                if (self->state() == UIGestureRecognizerState::possible) {
                    self->setState(UIGestureRecognizerState::failed);
                    self->resetIfFinished();
                }
            }
        },
        kNextTapDelay);
}

void UITapGestureRecognizer::reset() {
    cancelTimer();
    taps_ = 0;
}
