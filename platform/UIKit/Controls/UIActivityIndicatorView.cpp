#include "platform/UIKit/Controls/UIActivityIndicatorView.h"

#include "platform/QuartzCore/CAAnimation.h"
#include "platform/QuartzCore/CAShapeLayer.h"

#include <cmath>

namespace {
constexpr int kSpokes = 8;
const std::string kSpinKey = "spin";

UIColor defaultColor(UIActivityIndicatorViewStyle style) {
    switch (style) {
    case UIActivityIndicatorViewStyle::white:
    case UIActivityIndicatorViewStyle::whiteLarge:
        return UIColor::whiteColor();
    default:
        return UIColor::colorWithWhite(0.45, 1);
    }
}
} // namespace

UIActivityIndicatorView::UIActivityIndicatorView(UIActivityIndicatorViewStyle style)
    : UIView(CGRectZero), style_(style), color_(defaultColor(style)) {
    setUserInteractionEnabled(false);
    wheel_ = CALayer::layer();
    layer()->addSublayer(wheel_);
    const CGFloat size = diameter();
    setFrame({{0, 0}, {size, size}});
    rebuildSpokes();
    setHidden(true);
}

CGFloat UIActivityIndicatorView::diameter() const {
    const bool large =
        style_ == UIActivityIndicatorViewStyle::large || style_ == UIActivityIndicatorViewStyle::whiteLarge;
    return large ? 37 : 20;
}

CGSize UIActivityIndicatorView::intrinsicContentSize() const {
    return {diameter(), diameter()};
}

void UIActivityIndicatorView::setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style) {
    if (style_ == style) {
        return;
    }
    style_ = style;
    color_ = defaultColor(style);
    invalidateIntrinsicContentSize();
    rebuildSpokes();
}

void UIActivityIndicatorView::setColor(const UIColor& color) {
    if (color_ == color) {
        return;
    }
    color_ = color;
    rebuildSpokes();
}

void UIActivityIndicatorView::setHidesWhenStopped(bool hides) {
    hidesWhenStopped_ = hides;
    setHidden(hides && !animating_);
}

void UIActivityIndicatorView::rebuildSpokes() {
    for (const auto& spoke : std::vector(wheel_->sublayers())) {
        spoke->removeFromSuperlayer();
    }
    const CGFloat size = diameter();
    const CGFloat thickness = size / 10;
    wheel_->setBounds({{0, 0}, {size, size}});
    for (int i = 0; i < kSpokes; ++i) {
        auto spoke = CAShapeLayer::layer();
        CGPath path;
        const double angle = 2 * M_PI * i / kSpokes;
        const CGPoint centre{size / 2, size / 2};
        path.move({centre.x + std::sin(angle) * size * 0.25, centre.y - std::cos(angle) * size * 0.25});
        path.addLine({centre.x + std::sin(angle) * (size / 2 - thickness),
                      centre.y - std::cos(angle) * (size / 2 - thickness)});
        spoke->setPath(path);
        spoke->setFillColor(std::nullopt);
        spoke->setLineWidth(thickness);
        spoke->setLineCap(kCALineCapRound);
        spoke->setStrokeColor(
            color_.colorWithAlphaComponent(color_.alpha * (0.25 + 0.75 * i / (kSpokes - 1))));
        spoke->setFrame({{0, 0}, {size, size}});
        wheel_->addSublayer(spoke);
    }
    setNeedsLayout();
}

void UIActivityIndicatorView::layoutSubviews() {
    UIView::layoutSubviews();
    const CGRect bounds = this->bounds();
    wheel_->setPosition({bounds.midX(), bounds.midY()});
}

void UIActivityIndicatorView::startAnimating() {
    if (animating_) {
        return;
    }
    animating_ = true;
    setHidden(false);
    // One spoke on per step, a turn a second.
    auto spin = CAKeyframeAnimation::animationWithKeyPath("transform");
    for (int i = 0; i < kSpokes; ++i) {
        spin->values.push_back(CAValue(CGAffineTransformMakeRotation(2 * M_PI * i / kSpokes)));
    }
    spin->calculationMode = kCAAnimationDiscrete;
    spin->duration = 1;
    spin->repeatCount = HUGE_VAL;
    wheel_->addAnimation(spin, kSpinKey);
}

void UIActivityIndicatorView::stopAnimating() {
    if (!animating_) {
        return;
    }
    animating_ = false;
    wheel_->removeAnimationForKey(kSpinKey);
    if (hidesWhenStopped_) {
        setHidden(true);
    }
}
