#include "platform/UIKit/UIPanGestureRecognizer.h"

#include "platform/UIKit/UITouch.h"
#include "platform/UIKit/UIView.h"

#include <cmath>

namespace {
constexpr double kPanThreshold = 10;
constexpr double kVelocityWindow = 0.1;
} // namespace

CGPoint UIPanGestureRecognizer::toView(CGPoint vector, const UIView* view) {
    if (view == nullptr) {
        return vector;
    }
    const CGPoint origin = view->convertPointFromView(CGPointZero, nullptr);
    const CGPoint end = view->convertPointFromView(vector, nullptr);
    return {end.x - origin.x, end.y - origin.y};
}

CGPoint UIPanGestureRecognizer::translationInView(const UIView* view) const {
    return toView({lastLocation_.x - start_.x, lastLocation_.y - start_.y}, view);
}

void UIPanGestureRecognizer::setTranslation(CGPoint translation, const UIView* view) {
    // Express the wanted translation in window coordinates, then move the origin.
    const CGPoint unit = toView({1, 1}, view);
    const double sx = unit.x != 0 ? 1 / unit.x : 1;
    const double sy = unit.y != 0 ? 1 / unit.y : 1;
    start_ = {lastLocation_.x - translation.x * sx, lastLocation_.y - translation.y * sy};
}

CGPoint UIPanGestureRecognizer::velocityInView(const UIView* view) const {
    if (samples_.size() < 2) {
        return CGPointZero;
    }
    const Sample& first = samples_.front();
    const Sample& last = samples_.back();
    const double elapsed = last.time - first.time;
    if (elapsed <= 0) {
        return CGPointZero;
    }
    return toView(
        {(last.location.x - first.location.x) / elapsed, (last.location.y - first.location.y) / elapsed},
        view);
}

void UIPanGestureRecognizer::record(const std::vector<std::shared_ptr<UITouch>>& touches) {
    for (const auto& touch : touches) {
        samples_.push_back({touch->locationInView(nullptr), touch->timestamp()});
    }
    while (samples_.size() > 2 && samples_.back().time - samples_.front().time > kVelocityWindow) {
        samples_.pop_front();
    }
}

void UIPanGestureRecognizer::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches,
                                          UIEvent* event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (state() == UIGestureRecognizerState::possible) {
        start_ = lastLocation_;
        samples_.clear();
        record(touches);
    }
}

void UIPanGestureRecognizer::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches,
                                          UIEvent* event) {
    UIGestureRecognizer::touchesMoved(touches, event);
    record(touches);
    if (state() == UIGestureRecognizerState::possible) {
        if (std::hypot(lastLocation_.x - start_.x, lastLocation_.y - start_.y) >= kPanThreshold) {
            setState(UIGestureRecognizerState::began);
        }
    } else if (state() == UIGestureRecognizerState::began || state() == UIGestureRecognizerState::changed) {
        setState(UIGestureRecognizerState::changed);
    }
}

void UIPanGestureRecognizer::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches,
                                          UIEvent* event) {
    UIGestureRecognizer::touchesEnded(touches, event);
    record(touches);
    if (state() == UIGestureRecognizerState::possible) {
        setState(UIGestureRecognizerState::failed);
    } else if (state() == UIGestureRecognizerState::began || state() == UIGestureRecognizerState::changed) {
        setState(UIGestureRecognizerState::ended);
    }
}

void UIPanGestureRecognizer::reset() {
    samples_.clear();
}
