#include "platform/UIKit/Controls/UIPageControl.h"

#include "platform/UIKit/UITouch.h"

#include <algorithm>

namespace {
constexpr CGFloat kDot = 7;
constexpr CGFloat kPitch = 16;
constexpr CGFloat kHeight = 26;
} // namespace

UIPageControl::UIPageControl(const CGRect& frame) : UIControl(frame) {}

void UIPageControl::setNumberOfPages(long pages) {
    pages = std::max(0L, pages);
    if (numberOfPages_ == pages) {
        return;
    }
    numberOfPages_ = pages;
    currentPage_ = std::clamp(currentPage_, 0L, std::max(0L, pages - 1));
    rebuildDots();
    invalidateIntrinsicContentSize();
    updateVisibility();
}

void UIPageControl::setCurrentPage(long page) {
    page = std::clamp(page, 0L, std::max(0L, numberOfPages_ - 1));
    if (currentPage_ == page) {
        return;
    }
    currentPage_ = page;
    applyColors();
}

void UIPageControl::setHidesForSinglePage(bool hides) {
    hidesForSinglePage_ = hides;
    updateVisibility();
}

void UIPageControl::setPageIndicatorTintColor(std::optional<UIColor> color) {
    pageIndicatorTintColor_ = color;
    applyColors();
}

void UIPageControl::setCurrentPageIndicatorTintColor(std::optional<UIColor> color) {
    currentPageIndicatorTintColor_ = color;
    applyColors();
}

CGSize UIPageControl::sizeForNumberOfPages(long pages) const {
    return {pages > 0 ? kDot + kPitch * static_cast<CGFloat>(pages - 1) + 2 * (kPitch - kDot) : 0, kHeight};
}

void UIPageControl::updateVisibility() {
    setHidden(hidesForSinglePage_ && numberOfPages_ <= 1);
}

void UIPageControl::rebuildDots() {
    for (const auto& dot : dots_) {
        dot->removeFromSuperlayer();
    }
    dots_.clear();
    for (long i = 0; i < numberOfPages_; ++i) {
        auto dot = CALayer::layer();
        dot->setCornerRadius(kDot / 2);
        layer()->addSublayer(dot);
        dots_.push_back(dot);
    }
    applyColors();
    setNeedsLayout();
}

void UIPageControl::applyColors() {
    const UIColor normal = pageIndicatorTintColor_.value_or(UIColor::colorWithWhite(1, 0.35));
    const UIColor current = currentPageIndicatorTintColor_.value_or(UIColor::whiteColor());
    for (std::size_t i = 0; i < dots_.size(); ++i) {
        dots_[i]->setBackgroundColor(static_cast<long>(i) == currentPage_ ? current : normal);
    }
}

void UIPageControl::layoutSubviews() {
    UIControl::layoutSubviews();
    const CGRect bounds = this->bounds();
    const CGFloat width = kDot + kPitch * static_cast<CGFloat>(std::max(0L, numberOfPages_ - 1));
    const CGFloat x = bounds.midX() - width / 2;
    for (std::size_t i = 0; i < dots_.size(); ++i) {
        dots_[i]->setFrame({{x + kPitch * static_cast<CGFloat>(i), bounds.midY() - kDot / 2}, {kDot, kDot}});
    }
}

void UIPageControl::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) {
    const bool wasTracking = isTracking();
    UIControl::touchesEnded(touches, event);
    if (!wasTracking || !isTouchInside() || touches.empty() || numberOfPages_ < 2) {
        return;
    }
    const CGRect bounds = this->bounds();
    const CGFloat width = kDot + kPitch * static_cast<CGFloat>(numberOfPages_ - 1);
    const CGFloat currentX =
        bounds.midX() - width / 2 + kPitch * static_cast<CGFloat>(currentPage_) + kDot / 2;
    const long target =
        touches.front()->locationInView(this).x < currentX ? currentPage_ - 1 : currentPage_ + 1;
    if (target < 0 || target >= numberOfPages_) {
        return;
    }
    auto self = sharedView();
    setCurrentPage(target);
    sendActionsForControlEvents(UIControlEventValueChanged);
}
