#include "platform/UIKit/UIControl.h"

#include "platform/UIKit/UITouch.h"

#include <algorithm>

namespace {
// A finger that drifted a little outside still counts as inside, as on the phone.
constexpr CGFloat kTrackingSlop = 70;
} // namespace

UIControl::ActionId UIControl::addTarget(Action action, UIControlEvents events) {
    const ActionId id = nextId_++;
    targets_.push_back({id, std::move(action), events});
    return id;
}

void UIControl::removeTarget(ActionId id) {
    targets_.erase(
        std::remove_if(targets_.begin(), targets_.end(), [&](const Target& t) { return t.id == id; }),
        targets_.end());
}

bool UIControl::hasTargetForControlEvents(UIControlEvents events) const {
    return std::any_of(targets_.begin(), targets_.end(),
                       [&](const Target& t) { return (t.events & events) != 0; });
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
    auto self = sharedView();
    const auto targets = targets_;
    for (const auto& target : targets) {
        if ((target.events & events) != 0 && target.action) {
            target.action(*this);
        }
    }
}

void UIControl::setEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    stateDidChange();
}

void UIControl::setSelected(bool selected) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    stateDidChange();
}

void UIControl::setHighlighted(bool highlighted) {
    if (highlighted_ == highlighted) {
        return;
    }
    highlighted_ = highlighted;
    stateDidChange();
}

UIControlState UIControl::state() const {
    UIControlState state = UIControlStateNormal;
    if (highlighted_) {
        state |= UIControlStateHighlighted;
    }
    if (!enabled_) {
        state |= UIControlStateDisabled;
    }
    if (selected_) {
        state |= UIControlStateSelected;
    }
    return state;
}

std::shared_ptr<UIView> UIControl::hitTest(CGPoint point, UIEvent* event) {
    if (!enabled_) {
        return nullptr;
    }
    return UIView::hitTest(point, event);
}

bool UIControl::isInsideForTracking(CGPoint point) const {
    return bounds().insetBy(-kTrackingSlop, -kTrackingSlop).contains(point);
}

void UIControl::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    if (!enabled_ || touches.empty()) {
        return;
    }
    tracking_ = true;
    touchInside_ = true;
    setHighlighted(true);
    sendActionsForControlEvents(touches.front()->tapCount() > 1
                                    ? UIControlEventTouchDown | UIControlEventTouchDownRepeat
                                    : UIControlEventTouchDown);
}

void UIControl::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    if (!tracking_ || touches.empty()) {
        return;
    }
    const bool inside = isInsideForTracking(touches.front()->locationInView(this));
    UIControlEvents events = inside ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside;
    if (inside != touchInside_) {
        events |= inside ? UIControlEventTouchDragEnter : UIControlEventTouchDragExit;
    }
    touchInside_ = inside;
    setHighlighted(inside);
    sendActionsForControlEvents(events);
}

void UIControl::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    if (!tracking_ || touches.empty()) {
        return;
    }
    tracking_ = false;
    const bool inside = isInsideForTracking(touches.front()->locationInView(this));
    touchInside_ = inside;
    setHighlighted(false);
    sendActionsForControlEvents(inside ? UIControlEventTouchUpInside | UIControlEventPrimaryActionTriggered
                                       : UIControlEventTouchUpOutside);
}

void UIControl::touchesCancelled(const std::vector<std::shared_ptr<UITouch>>&, UIEvent*) {
    if (!tracking_) {
        return;
    }
    tracking_ = false;
    touchInside_ = false;
    setHighlighted(false);
    sendActionsForControlEvents(UIControlEventTouchCancel);
}
