#pragma once

#include "platform/UIKit/UIControl.h"

#include <memory>
#include <optional>
#include <vector>

// A row of dots, one per page, the current one brighter. A tap on either side of the
// current dot moves one page that way and sends value changed.
class UIPageControl : public UIControl {
  public:
    explicit UIPageControl(const CGRect& frame = CGRectZero);

    long numberOfPages() const { return numberOfPages_; }
    void setNumberOfPages(long pages);
    // Clamped to the pages.
    long currentPage() const { return currentPage_; }
    void setCurrentPage(long page);
    bool hidesForSinglePage() const { return hidesForSinglePage_; }
    void setHidesForSinglePage(bool hides);
    std::optional<UIColor> pageIndicatorTintColor() const { return pageIndicatorTintColor_; }
    void setPageIndicatorTintColor(std::optional<UIColor> color);
    std::optional<UIColor> currentPageIndicatorTintColor() const { return currentPageIndicatorTintColor_; }
    void setCurrentPageIndicatorTintColor(std::optional<UIColor> color);

    // The size the dots of `pages` pages take.
    CGSize sizeForNumberOfPages(long pages) const;
    CGSize intrinsicContentSize() const override { return sizeForNumberOfPages(numberOfPages_); }
    CGSize sizeThatFits(CGSize) const override { return intrinsicContentSize(); }
    void layoutSubviews() override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  private:
    void rebuildDots();
    void applyColors();
    void updateVisibility();

    long numberOfPages_ = 0;
    long currentPage_ = 0;
    bool hidesForSinglePage_ = false;
    std::optional<UIColor> pageIndicatorTintColor_;
    std::optional<UIColor> currentPageIndicatorTintColor_;
    std::vector<std::shared_ptr<CALayer>> dots_;
};
