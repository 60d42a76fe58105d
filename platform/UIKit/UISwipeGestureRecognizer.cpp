#include "platform/UIKit/UISwipeGestureRecognizer.h"

#include "platform/UIKit/UITouch.h"

#include <cmath>

void UISwipeGestureRecognizer::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches,
                                            UIEvent* event) {
    UIGestureRecognizer::touchesBegan(touches, event);
    if (state() == UIGestureRecognizerState::possible && !touches.empty()) {
        start_ = lastLocation_;
        startTime_ = touches.front()->timestamp();
    }
}

void UISwipeGestureRecognizer::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches,
                                            UIEvent* event) {
    UIGestureRecognizer::touchesMoved(touches, event);
    if (state() == UIGestureRecognizerState::possible && !touches.empty()) {
        evaluate(touches.front()->timestamp());
    }
}

void UISwipeGestureRecognizer::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches,
                                            UIEvent* event) {
    UIGestureRecognizer::touchesEnded(touches, event);
    if (state() == UIGestureRecognizerState::possible && !touches.empty()) {
        evaluate(touches.front()->timestamp());
    }
    if (state() == UIGestureRecognizerState::possible) {
        setState(UIGestureRecognizerState::failed);
    }
}

void UISwipeGestureRecognizer::evaluate(double time) {
    if (time - startTime_ > maximumDuration) {
        setState(UIGestureRecognizerState::failed);
        return;
    }
    const double dx = lastLocation_.x - start_.x;
    const double dy = lastLocation_.y - start_.y;
    struct Way {
        UISwipeGestureRecognizerDirection direction;
        double along;
        double across;
    };
    const Way ways[] = {{UISwipeGestureRecognizerDirectionRight, dx, dy},
                        {UISwipeGestureRecognizerDirectionLeft, -dx, dy},
                        {UISwipeGestureRecognizerDirectionDown, dy, dx},
                        {UISwipeGestureRecognizerDirectionUp, -dy, dx}};
    bool tooFarAcross = true;
    for (const auto& way : ways) {
        if ((direction & way.direction) == 0) {
            continue;
        }
        if (way.along >= minimumDistance && way.along >= 2 * std::fabs(way.across)) {
            setState(UIGestureRecognizerState::ended);
            return;
        }
        tooFarAcross = tooFarAcross && std::fabs(way.across) >= minimumDistance;
    }
    if (tooFarAcross) {
        setState(UIGestureRecognizerState::failed);
    }
}
