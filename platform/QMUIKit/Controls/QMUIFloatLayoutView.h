#pragma once

#include "platform/UIKit/UIView.h"

// Lays its subviews out like words in a line of text: left to right at their fitting
// sizes (never smaller than minimumItemSize), each followed by its margins, wrapping to a
// new line when the next one would pass the right edge. The height it needs for a width
// is sizeThatFits; layout only places the subviews.
class QMUIFloatLayoutView : public UIView {
  public:
    explicit QMUIFloatLayoutView(const CGRect& frame = CGRectZero);

    UIEdgeInsets padding() const { return padding_; }
    void setPadding(const UIEdgeInsets& padding);
    CGSize minimumItemSize() const { return minimumItemSize_; }
    void setMinimumItemSize(CGSize size);
    // Space around each item: right and bottom keep the next item and line away, top and
    // left shift the item itself.
    UIEdgeInsets itemMargins() const { return itemMargins_; }
    void setItemMargins(const UIEdgeInsets& margins);

    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;
    void didAddSubview(UIView& subview) override;
    void willRemoveSubview(UIView& subview) override;

  private:
    // The frames of the visible subviews in order for `width`, and the height they need
    // (the bottom of the last line with its bottom margin, plus the bottom padding).
    CGFloat arrange(CGFloat width, std::vector<CGRect>* frames) const;

    UIEdgeInsets padding_;
    CGSize minimumItemSize_{0, 0};
    UIEdgeInsets itemMargins_;
};
