#include "platform/UIKit/UIGestureRecognizer.h"

#include "platform/UIKit/UITouch.h"
#include "platform/UIKit/UIView.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>

UIGestureRecognizer::UIGestureRecognizer(Action action) {
    if (action) {
        actions_.push_back(std::move(action));
    }
}

UIGestureRecognizer::~UIGestureRecognizer() = default;

void UIGestureRecognizer::addTarget(Action action) {
    if (action) {
        actions_.push_back(std::move(action));
    }
}

void UIGestureRecognizer::setEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    if (!enabled_ &&
        (state_ == UIGestureRecognizerState::began || state_ == UIGestureRecognizerState::changed)) {
        setState(UIGestureRecognizerState::cancelled);
    }
}

CGPoint UIGestureRecognizer::locationInView(const UIView* view) const {
    return view != nullptr ? view->convertPointFromView(lastLocation_, nullptr) : lastLocation_;
}

void UIGestureRecognizer::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    for (const auto& touch : touches) {
        if (std::find(touches_.begin(), touches_.end(), touch) == touches_.end()) {
            touches_.push_back(touch);
        }
        lastLocation_ = touch->locationInView(nullptr);
    }
}

void UIGestureRecognizer::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    for (const auto& touch : touches) {
        lastLocation_ = touch->locationInView(nullptr);
    }
}

void UIGestureRecognizer::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    for (const auto& touch : touches) {
        lastLocation_ = touch->locationInView(nullptr);
        touches_.erase(std::remove(touches_.begin(), touches_.end(), touch), touches_.end());
    }
}

void UIGestureRecognizer::touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    for (const auto& touch : touches) {
        touches_.erase(std::remove(touches_.begin(), touches_.end(), touch), touches_.end());
    }
    if (state_ == UIGestureRecognizerState::began || state_ == UIGestureRecognizerState::changed) {
        setState(UIGestureRecognizerState::cancelled);
    } else if (state_ == UIGestureRecognizerState::possible) {
        setState(UIGestureRecognizerState::failed);
    }
}

void UIGestureRecognizer::setState(UIGestureRecognizerState state) {
    if (state == UIGestureRecognizerState::began ||
        (state == UIGestureRecognizerState::ended && state_ == UIGestureRecognizerState::possible)) {
        // Beginning (or recognizing at once) may be vetoed by the delegate.
        if (auto watcher = delegate.lock(); watcher && !watcher->gestureRecognizerShouldBegin(*this)) {
            state_ = UIGestureRecognizerState::failed;
            return;
        }
    }
    state_ = state;
    auto self = shared_from_this();
    if (state == UIGestureRecognizerState::began ||
        (state == UIGestureRecognizerState::ended && arbiter_ != nullptr)) {
        if (arbiter_ != nullptr) {
            arbiter_->gestureRecognizerDidRecognize(*this);
        }
    }
    if (state == UIGestureRecognizerState::possible || state == UIGestureRecognizerState::failed) {
        return;
    }
    const auto actions = actions_;
    for (const auto& action : actions) {
        action(*this);
    }
}

void UIGestureRecognizer::resetIfFinished() {
    if (!touches_.empty()) {
        return;
    }
    if (state_ == UIGestureRecognizerState::ended || state_ == UIGestureRecognizerState::failed ||
        state_ == UIGestureRecognizerState::cancelled) {
        state_ = UIGestureRecognizerState::possible;
        arbiter_ = nullptr;
        reset();
    }
}

void UIGestureRecognizer::endTouchSequence() {
    touches_.clear();
    resetIfFinished();
}

void UIGestureRecognizer::failBecauseAnotherRecognized() {
    if (state_ == UIGestureRecognizerState::possible) {
        state_ = UIGestureRecognizerState::failed;
    } else if (state_ == UIGestureRecognizerState::began || state_ == UIGestureRecognizerState::changed) {
        setState(UIGestureRecognizerState::cancelled);
    }
}
