#include "platform/UIKit/Controls/UIProgressView.h"

#include <algorithm>

UIProgressView::UIProgressView(UIProgressViewStyle) : UIView(CGRectZero) {
    setUserInteractionEnabled(false);
    setClipsToBounds(true);
    fill_ = CALayer::layer();
    layer()->addSublayer(fill_);
    applyLook();
}

void UIProgressView::setProgress(float progress, bool animated) {
    progress = std::clamp(progress, 0.0f, 1.0f);
    if (progress_ == progress) {
        return;
    }
    progress_ = progress;
    if (animated) {
        UIView::animateWithDuration(0.25, [&] { applyLook(); });
    } else {
        UIView::performWithoutAnimation([&] { applyLook(); });
    }
}

void UIProgressView::setProgressTintColor(std::optional<UIColor> color) {
    progressTintColor_ = color;
    applyLook();
}

void UIProgressView::setTrackTintColor(std::optional<UIColor> color) {
    trackTintColor_ = color;
    applyLook();
}

void UIProgressView::tintColorDidChange() {
    UIView::tintColorDidChange();
    applyLook();
}

void UIProgressView::applyLook() {
    const CGRect bounds = this->bounds();
    setBackgroundColor(trackTintColor_.value_or(UIColor::colorWithWhite(0.9, 1)));
    fill_->setBackgroundColor(progressTintColor_.value_or(tintColor()));
    fill_->setFrame({{0, 0}, {bounds.size.width * progress_, bounds.size.height}});
    layer()->setCornerRadius(bounds.size.height / 2);
    fill_->setCornerRadius(bounds.size.height / 2);
}

void UIProgressView::layoutSubviews() {
    UIView::layoutSubviews();
    UIView::performWithoutAnimation([&] { applyLook(); });
}
