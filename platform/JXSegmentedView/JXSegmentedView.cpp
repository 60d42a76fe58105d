#include "platform/JXSegmentedView/JXSegmentedView.h"

#include "platform/UIKit/UITapGestureRecognizer.h"

#include <algorithm>
#include <cmath>

JXSegmentedView::JXSegmentedView(const CGRect& frame)
    : UIView(frame), strip_(std::make_shared<UIScrollView>()) {
    strip_->setShowsHorizontalScrollIndicator(false);
    strip_->setShowsVerticalScrollIndicator(false);
    strip_->setScrollsToTop(false);
    strip_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
}

JXSegmentedView::~JXSegmentedView() {
    if (auto scroll = contentScrollView_.lock()) {
        scroll->removeScrollObserver(this);
    }
}

void JXSegmentedView::attachParts() {
    if (partsAttached_ || weak_from_this().expired()) {
        return;
    }
    partsAttached_ = true;
    addSubview(strip_);
    std::weak_ptr<UIView> weak = sharedView();
    tap_ = std::make_shared<UITapGestureRecognizer>([weak](UIGestureRecognizer& tap) {
        auto self = std::static_pointer_cast<JXSegmentedView>(weak.lock());
        if (!self || tap.state() != UIGestureRecognizerState::ended) {
            return;
        }
        const CGPoint point = tap.locationInView(self->strip_.get());
        for (std::size_t index = 0; index < self->frames_.size(); ++index) {
            // A tap between items counts for the nearer one's half of the gap.
            if (self->frames_[index].insetBy(-10, 0).contains(point)) {
                self->clickItem(static_cast<long>(index));
                return;
            }
        }
    });
    strip_->addGestureRecognizer(tap_);
}

void JXSegmentedView::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    attachParts();
}

void JXSegmentedView::setIndicators(std::vector<std::shared_ptr<JXSegmentedIndicatorBaseView>> indicators) {
    for (const auto& indicator : indicators_) {
        indicator->removeFromSuperview();
    }
    indicators_ = std::move(indicators);
    for (const auto& indicator : indicators_) {
        strip_->insertSubview(indicator, 0);
    }
    setNeedsLayout();
}

void JXSegmentedView::observe(const std::shared_ptr<UIScrollView>& scrollView) {
    if (auto old = contentScrollView_.lock()) {
        if (old == scrollView) {
            return;
        }
        old->removeScrollObserver(this);
    }
    contentScrollView_ = scrollView;
    if (scrollView && !weak_from_this().expired()) {
        scrollView->addScrollObserver(
            std::shared_ptr<UIScrollViewObserver>(sharedView(), static_cast<UIScrollViewObserver*>(this)));
    }
}

void JXSegmentedView::setListContainer(const std::shared_ptr<JXSegmentedViewListContainer>& container) {
    listContainer_ = container;
    observe(container ? container->contentScrollView() : nullptr);
}

void JXSegmentedView::setContentScrollView(const std::shared_ptr<UIScrollView>& scrollView) {
    observe(scrollView);
}

void JXSegmentedView::reloadData() {
    attachParts();
    auto self = sharedView();
    for (const auto& item : items_) {
        item->removeFromSuperview();
    }
    items_.clear();
    contentWidths_.clear();
    auto dataSource = dataSource_.lock();
    const long count = dataSource ? std::max(0L, dataSource->numberOfItems()) : 0;
    if (!loaded_) {
        selectedIndex_ = defaultSelectedIndex;
        loaded_ = true;
    }
    selectedIndex_ = std::clamp(selectedIndex_, 0L, std::max(0L, count - 1));
    for (long index = 0; index < count; ++index) {
        auto item = dataSource->makeItemView(index);
        item->setUserInteractionEnabled(false);
        strip_->addSubview(item);
        items_.push_back(item);
        contentWidths_.push_back(dataSource->contentWidthForItemAt(index));
    }
    if (auto container = listContainer_.lock()) {
        observe(container->contentScrollView());
        container->setDefaultSelectedIndex(selectedIndex_);
        container->reloadData();
    }
    layoutItems();
    setNeedsLayout();
}

void JXSegmentedView::layoutSubviews() {
    attachParts();
    UIView::layoutSubviews();
    layoutItems();
}

void JXSegmentedView::layoutItems() {
    const CGRect bounds = this->bounds();
    strip_->setFrame(bounds);
    frames_.clear();
    auto dataSource = dataSource_.lock();
    if (!dataSource || items_.empty()) {
        strip_->setContentSize(bounds.size);
        return;
    }
    const long count = static_cast<long>(items_.size());
    std::vector<CGFloat> widths;
    CGFloat sum = 0;
    for (long index = 0; index < count; ++index) {
        widths.push_back(dataSource->widthForItemAt(index));
        sum += widths.back();
    }
    CGFloat spacing = dataSource->itemSpacingValue();
    CGFloat left = contentEdgeInsetLeft == JXSegmentedViewAutomaticDimension ? spacing : contentEdgeInsetLeft;
    CGFloat right =
        contentEdgeInsetRight == JXSegmentedViewAutomaticDimension ? spacing : contentEdgeInsetRight;
    const CGFloat total = left + sum + spacing * static_cast<CGFloat>(count - 1) + right;
    if (dataSource->itemSpacingAverageEnabled() && total < bounds.size.width) {
        spacing = (bounds.size.width - sum) / static_cast<CGFloat>(count + 1);
        left = spacing;
        right = spacing;
    }
    CGFloat x = left;
    for (long index = 0; index < count; ++index) {
        frames_.push_back({{x, 0}, {widths[index], bounds.size.height}});
        items_[index]->setFrame(frames_.back());
        x += widths[index] + (index + 1 < count ? spacing : 0);
    }
    strip_->setContentSize({x + right, bounds.size.height});
    showSelection(selectedIndex_, selectedIndex_, 0);
}

void JXSegmentedView::showSelection(long from, long to, CGFloat percent) {
    auto dataSource = dataSource_.lock();
    if (!dataSource || frames_.empty()) {
        return;
    }
    const long last = static_cast<long>(frames_.size()) - 1;
    from = std::clamp(from, 0L, last);
    to = std::clamp(to, 0L, last);
    for (long index = 0; index <= last; ++index) {
        CGFloat share = 0;
        if (index == from) {
            share += 1 - percent;
        }
        if (index == to) {
            share += from == to ? 0 : percent;
        }
        dataSource->configureItemView(*items_[index], index, std::min<CGFloat>(1, share));
    }
    for (const auto& indicator : indicators_) {
        indicator->place(frames_[from], contentWidths_[from], frames_[to], contentWidths_[to], percent,
                         bounds().size.height);
    }
}

CGRect JXSegmentedView::frameForItemAt(long index) const {
    return index >= 0 && index < static_cast<long>(frames_.size()) ? frames_[index] : CGRectZero;
}

std::shared_ptr<UIView> JXSegmentedView::itemViewAt(long index) const {
    return index >= 0 && index < static_cast<long>(items_.size()) ? items_[index] : nullptr;
}

void JXSegmentedView::select(long index) {
    selectedIndex_ = index;
    showSelection(index, index, 0);
    scrollSelectedItemIntoSight();
}

void JXSegmentedView::scrollSelectedItemIntoSight() {
    const CGRect item = frameForItemAt(selectedIndex_);
    const auto range = strip_->horizontalOffsetRange();
    strip_->setContentOffset({range.clamp(item.midX() - strip_->bounds().size.width / 2), 0}, true);
}

void JXSegmentedView::clickItem(long index) {
    if (index < 0 || index >= numberOfItems()) {
        return;
    }
    auto self = sharedView();
    auto watcher = delegate_.lock();
    if (watcher && !watcher->canClickItemAt(*this, index)) {
        return;
    }
    select(index);
    if (auto container = listContainer_.lock()) {
        container->didClickSelectedItemAt(index);
    } else if (auto scroll = contentScrollView_.lock()) {
        scroll->setContentOffset({scroll->bounds().size.width * static_cast<CGFloat>(index), 0}, false);
    }
    if (watcher) {
        watcher->didClickSelectedItemAt(*this, index);
        watcher->didSelectedItemAt(*this, index);
    }
}

void JXSegmentedView::selectItemAt(long index) {
    if (index < 0 || index >= numberOfItems()) {
        return;
    }
    auto self = sharedView();
    select(index);
    if (auto container = listContainer_.lock()) {
        container->didClickSelectedItemAt(index);
    } else if (auto scroll = contentScrollView_.lock()) {
        scroll->setContentOffset({scroll->bounds().size.width * static_cast<CGFloat>(index), 0}, false);
    }
    if (auto watcher = delegate_.lock()) {
        watcher->didSelectedItemAt(*this, index);
    }
}

void JXSegmentedView::scrollViewContentOffsetDidChange(UIScrollView& scroll) {
    // Only a swipe moves the markers along; a tap has placed them already.
    if ((!scroll.isDragging() && !scroll.isDecelerating()) || scroll.bounds().size.width <= 0) {
        return;
    }
    const double position = std::max(0.0, scroll.contentOffset().x / scroll.bounds().size.width);
    const long from = static_cast<long>(std::floor(position));
    showSelection(from, from + 1, static_cast<CGFloat>(position - from));
}

void JXSegmentedView::scrollViewDidEndScrolling(UIScrollView& scroll) {
    if (scroll.bounds().size.width <= 0 || items_.empty()) {
        return;
    }
    const long index =
        std::clamp(static_cast<long>(std::lround(scroll.contentOffset().x / scroll.bounds().size.width)), 0L,
                   numberOfItems() - 1);
    if (index == selectedIndex_) {
        showSelection(index, index, 0);
        return;
    }
    auto self = sharedView();
    select(index);
    if (auto watcher = delegate_.lock()) {
        watcher->didScrollSelectedItemAt(*this, index);
        watcher->didSelectedItemAt(*this, index);
    }
}
