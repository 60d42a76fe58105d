#include "platform/UIKit/UILongPressGestureRecognizer.h"

#include <cmath>

UILongPressGestureRecognizer::~UILongPressGestureRecognizer() {
    cancelTimer();
}

void UILongPressGestureRecognizer::cancelTimer() {
    if (timer_ != 0) {
        RunLoop::main().cancel(timer_);
        timer_ = 0;
    }
}

void UILongPressGestureRecognizer::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches,
                                                UIEvent* event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (state() != UIGestureRecognizerState::possible) {
        return;
    }
    start_ = lastLocation_;
    cancelTimer();
    std::weak_ptr<UIGestureRecognizer> weak = weak_from_this();
    timer_ = RunLoop::main().post(
        [weak] {
            if (auto self = std::static_pointer_cast<UILongPressGestureRecognizer>(weak.lock())) {
                self->timer_ = 0;
                if (self->state() == UIGestureRecognizerState::possible && self->numberOfTouches() > 0) {
                    self->setState(UIGestureRecognizerState::began);
                }
            }
        },
        minimumPressDuration);
}

void UILongPressGestureRecognizer::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches,
                                                UIEvent* event) {
    UIGestureRecognizer::touchesMoved(touches, event);
    if (state() == UIGestureRecognizerState::possible) {
        if (std::hypot(lastLocation_.x - start_.x, lastLocation_.y - start_.y) > allowableMovement) {
            cancelTimer();
            setState(UIGestureRecognizerState::failed);
        }
    } else if (state() == UIGestureRecognizerState::began || state() == UIGestureRecognizerState::changed) {
        setState(UIGestureRecognizerState::changed);
    }
}

void UILongPressGestureRecognizer::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches,
                                                UIEvent* event) {
    UIGestureRecognizer::touchesEnded(touches, event);
    cancelTimer();
    if (state() == UIGestureRecognizerState::possible) {
        setState(UIGestureRecognizerState::failed);
    } else if (state() == UIGestureRecognizerState::began || state() == UIGestureRecognizerState::changed) {
        setState(UIGestureRecognizerState::ended);
    }
}

void UILongPressGestureRecognizer::reset() {
    cancelTimer();
}
