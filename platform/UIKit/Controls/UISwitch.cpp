#include "platform/UIKit/Controls/UISwitch.h"

namespace {
constexpr CGFloat kWidth = 51;
constexpr CGFloat kHeight = 31;
constexpr CGFloat kThumbInset = 2;
const UIColor kDefaultOnColor = UIColor::colorWithRed(52 / 255.0, 199 / 255.0, 89 / 255.0, 1);
const UIColor kOffTrackColor = UIColor::colorWithWhite(0.88, 1);
} // namespace

UISwitch::UISwitch(const CGRect& frame) : UIControl({frame.origin, {kWidth, kHeight}}) {
    track_ = CALayer::layer();
    track_->setCornerRadius(kHeight / 2);
    thumb_ = CALayer::layer();
    thumb_->setCornerRadius((kHeight - 2 * kThumbInset) / 2);
    thumb_->setShadowOpacity(0.2f);
    thumb_->setShadowRadius(2);
    thumb_->setShadowOffset({0, 2});
    layer()->addSublayer(track_);
    layer()->addSublayer(thumb_);
    applyLook();
}

void UISwitch::setOn(bool on, bool animated) {
    if (on_ == on) {
        return;
    }
    on_ = on;
    if (animated) {
        UIView::animateWithDuration(0.25, [&] { applyLook(); });
    } else {
        UIView::performWithoutAnimation([&] { applyLook(); });
    }
}

void UISwitch::setOnTintColor(std::optional<UIColor> color) {
    onTintColor_ = color;
    applyLook();
}

void UISwitch::setThumbTintColor(std::optional<UIColor> color) {
    thumbTintColor_ = color;
    applyLook();
}

void UISwitch::applyLook() {
    const CGRect bounds{{0, 0}, {kWidth, kHeight}};
    track_->setFrame(bounds);
    track_->setBackgroundColor(on_ ? onTintColor_.value_or(kDefaultOnColor) : kOffTrackColor);
    const CGFloat thumb = kHeight - 2 * kThumbInset;
    thumb_->setFrame({{on_ ? kWidth - kThumbInset - thumb : kThumbInset, kThumbInset}, {thumb, thumb}});
    thumb_->setBackgroundColor(thumbTintColor_.value_or(UIColor::whiteColor()));
    setAlpha(isEnabled() ? 1 : 0.5);
}

void UISwitch::layoutSubviews() {
    UIControl::layoutSubviews();
    UIView::performWithoutAnimation([&] { applyLook(); });
}

void UISwitch::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    const bool wasTracking = isTracking();
    UIControl::touchesEnded(touches, event);
    if (wasTracking && isTouchInside()) {
        auto self = sharedView();
        setOn(!on_, true);
        sendActionsForControlEvents(UIControlEventValueChanged);
    }
}
