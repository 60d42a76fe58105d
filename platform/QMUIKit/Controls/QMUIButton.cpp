#include "platform/QMUIKit/Controls/QMUIButton.h"

namespace {
constexpr CGFloat kHighlightedAlpha = 0.5;
constexpr CGFloat kDisabledAlpha = 0.5;
} // namespace

QMUIButton::QMUIButton(const CGRect& frame) : UIButton(frame) {
    // The whole button dims instead of its image.
    adjustsImageWhenHighlighted = false;
    adjustsImageWhenDisabled = false;
}

void QMUIButton::setImagePosition(QMUIButtonImagePosition position) {
    imagePosition_ = position;
    const ImagePosition placed = position == QMUIButtonImagePosition::top      ? ImagePosition::top
                                 : position == QMUIButtonImagePosition::bottom ? ImagePosition::bottom
                                 : position == QMUIButtonImagePosition::right  ? ImagePosition::right
                                                                               : ImagePosition::left;
    setImageArrangement(placed, spacing_);
}

void QMUIButton::setSpacingBetweenImageAndTitle(CGFloat spacing) {
    spacing_ = spacing;
    setImagePosition(imagePosition_);
}

void QMUIButton::setCornerRadius(CGFloat radius) {
    cornerRadius_ = radius;
    if (radius != QMUIButtonCornerRadiusAdjustsBounds) {
        layer()->setCornerRadius(radius);
    }
    setNeedsLayout();
}

void QMUIButton::setQmui_tapBlock(std::function<void(UIControl&)> block) {
    if (tapAction_) {
        removeTarget(*tapAction_);
        tapAction_.reset();
    }
    if (block) {
        tapAction_ = addTarget(std::move(block), UIControlEventTouchUpInside);
    }
}

void QMUIButton::stateDidChange() {
    UIButton::stateDidChange();
    CGFloat alpha = 1;
    if (isHighlighted() && adjustsButtonWhenHighlighted) {
        alpha = kHighlightedAlpha;
    }
    if (!isEnabled() && adjustsButtonWhenDisabled) {
        alpha = kDisabledAlpha;
    }
    setAlpha(alpha);
}

void QMUIButton::layoutSubviews() {
    UIButton::layoutSubviews();
    if (cornerRadius_ == QMUIButtonCornerRadiusAdjustsBounds) {
        layer()->setCornerRadius(bounds().size.height / 2);
    }
}
