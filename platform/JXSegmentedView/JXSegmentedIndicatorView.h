#pragma once

#include "platform/JXSegmentedView/JXSegmentedTitleDataSource.h"
#include "platform/UIKit/UIView.h"

enum class JXSegmentedIndicatorPosition { top, bottom, center };

// A marker under (or over, or behind) the selected item that moves with the swiped pages.
// Width and height are its own or, when automatic, follow the item's content and the
// kind of marker.
class JXSegmentedIndicatorBaseView : public UIView {
  public:
    JXSegmentedIndicatorBaseView();

    CGFloat indicatorWidth = JXSegmentedViewAutomaticDimension;
    CGFloat indicatorWidthIncrement = 0;
    CGFloat indicatorHeight = JXSegmentedViewAutomaticDimension;
    CGFloat indicatorCornerRadius = JXSegmentedViewAutomaticDimension;
    UIColor indicatorColor = UIColor::redColor();
    JXSegmentedIndicatorPosition indicatorPosition = JXSegmentedIndicatorPosition::bottom;
    CGFloat verticalOffset = 0;
    // Whether it glides between items while the pages are swiped (else it jumps).
    bool isScrollEnabled = true;

    // Places the marker `percent` of the way from one item to the next. Item frames are
    // in the bar's coordinates; `barHeight` is the bar's height.
    void place(const CGRect& fromItem, CGFloat fromContentWidth, const CGRect& toItem, CGFloat toContentWidth,
               CGFloat percent, CGFloat barHeight);

  protected:
    virtual CGFloat automaticHeight(CGFloat barHeight) const = 0;
    virtual CGFloat automaticWidth(CGFloat contentWidth) const { return contentWidth; }
};

// A line, three points high by default.
class JXSegmentedIndicatorLineView : public JXSegmentedIndicatorBaseView {
  protected:
    CGFloat automaticHeight(CGFloat) const override { return 3; }
};

// A rounded patch behind the title, 20 points wider than it by default.
class JXSegmentedIndicatorBackgroundView : public JXSegmentedIndicatorBaseView {
  public:
    JXSegmentedIndicatorBackgroundView();

  protected:
    CGFloat automaticHeight(CGFloat barHeight) const override { return std::max<CGFloat>(0, barHeight - 16); }
    CGFloat automaticWidth(CGFloat contentWidth) const override { return contentWidth + 20; }
};
