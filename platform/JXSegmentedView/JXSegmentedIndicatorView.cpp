#include "platform/JXSegmentedView/JXSegmentedIndicatorView.h"

#include <algorithm>

JXSegmentedIndicatorBaseView::JXSegmentedIndicatorBaseView() : UIView(CGRectZero) {
    setUserInteractionEnabled(false);
}

JXSegmentedIndicatorBackgroundView::JXSegmentedIndicatorBackgroundView() {
    indicatorColor = UIColor::colorWithWhite(0.93, 1);
    indicatorPosition = JXSegmentedIndicatorPosition::center;
}

void JXSegmentedIndicatorBaseView::place(const CGRect& fromItem, CGFloat fromContentWidth,
                                         const CGRect& toItem, CGFloat toContentWidth, CGFloat percent,
                                         CGFloat barHeight) {
    const CGFloat share = isScrollEnabled ? std::clamp<CGFloat>(percent, 0, 1) : (percent < 0.5 ? 0 : 1);
    auto widthFor = [&](CGFloat contentWidth) {
        const CGFloat base = indicatorWidth == JXSegmentedViewAutomaticDimension
                                 ? automaticWidth(contentWidth)
                                 : indicatorWidth;
        return base + indicatorWidthIncrement;
    };
    const CGFloat width =
        widthFor(fromContentWidth) + (widthFor(toContentWidth) - widthFor(fromContentWidth)) * share;
    const CGFloat centerX = fromItem.midX() + (toItem.midX() - fromItem.midX()) * share;
    const CGFloat height =
        indicatorHeight == JXSegmentedViewAutomaticDimension ? automaticHeight(barHeight) : indicatorHeight;
    CGFloat y = 0;
    switch (indicatorPosition) {
    case JXSegmentedIndicatorPosition::top:
        y = verticalOffset;
        break;
    case JXSegmentedIndicatorPosition::bottom:
        y = barHeight - height - verticalOffset;
        break;
    case JXSegmentedIndicatorPosition::center:
        y = (barHeight - height) / 2 + verticalOffset;
        break;
    }
    setBackgroundColor(indicatorColor);
    layer()->setCornerRadius(
        indicatorCornerRadius == JXSegmentedViewAutomaticDimension ? height / 2 : indicatorCornerRadius);
    setFrame({{centerX - width / 2, y}, {width, height}});
}
