#include "platform/JXSegmentedView/JXSegmentedListContainerView.h"

#include <algorithm>
#include <cmath>

JXSegmentedListContainerView::JXSegmentedListContainerView(
    const std::shared_ptr<JXSegmentedListContainerViewDataSource>& dataSource,
    JXSegmentedListContainerType type)
    : UIView(CGRectZero), dataSource_(dataSource), type_(type),
      scrollView_(std::make_shared<UIScrollView>()) {
    scrollView_->setPagingEnabled(true);
    scrollView_->setBounces(false);
    scrollView_->setShowsHorizontalScrollIndicator(false);
    scrollView_->setShowsVerticalScrollIndicator(false);
    scrollView_->setScrollsToTop(false);
    scrollView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
}

JXSegmentedListContainerView::~JXSegmentedListContainerView() {
    scrollView_->removeScrollObserver(this);
}

void JXSegmentedListContainerView::attachParts() {
    if (partsAttached_ || weak_from_this().expired()) {
        return;
    }
    partsAttached_ = true;
    addSubview(scrollView_);
    scrollView_->addScrollObserver(
        std::shared_ptr<UIScrollViewObserver>(sharedView(), static_cast<UIScrollViewObserver*>(this)));
}

void JXSegmentedListContainerView::didMoveToSuperview() {
    UIView::didMoveToSuperview();
    attachParts();
}

long JXSegmentedListContainerView::listCount() {
    if (count_ < 0) {
        auto dataSource = dataSource_.lock();
        count_ = dataSource ? std::max(0L, dataSource->numberOfLists(*this)) : 0;
    }
    return count_;
}

void JXSegmentedListContainerView::setDefaultSelectedIndex(long index) {
    currentIndex_ = std::max(0L, index);
}

void JXSegmentedListContainerView::ensureList(long index) {
    if (index < 0 || index >= listCount() || lists_.count(index) != 0) {
        return;
    }
    auto dataSource = dataSource_.lock();
    if (!dataSource) {
        return;
    }
    auto self = sharedView();
    auto list = dataSource->initListAt(*this, index);
    if (!list) {
        return;
    }
    lists_[index] = list;
    if (auto view = list->listView()) {
        const CGSize size = bounds().size;
        view->setFrame({{size.width * static_cast<CGFloat>(index), 0}, size});
        scrollView_->addSubview(view);
    }
    if (index == currentIndex_) {
        list->listWillAppear();
        list->listDidAppear();
    }
}

void JXSegmentedListContainerView::placeLists() {
    const CGSize size = bounds().size;
    for (const auto& [index, list] : lists_) {
        if (auto view = list->listView()) {
            view->setFrame({{size.width * static_cast<CGFloat>(index), 0}, size});
        }
    }
}

void JXSegmentedListContainerView::reloadData() {
    for (const auto& [index, list] : lists_) {
        if (auto view = list->listView()) {
            view->removeFromSuperview();
        }
    }
    lists_.clear();
    count_ = -1;
    currentIndex_ = std::clamp(currentIndex_, 0L, std::max(0L, listCount() - 1));
    setNeedsLayout();
    if (bounds().size.width > 0) {
        layoutSubviews();
    }
}

void JXSegmentedListContainerView::layoutSubviews() {
    attachParts();
    UIView::layoutSubviews();
    const CGSize size = bounds().size;
    scrollView_->setFrame(bounds());
    scrollView_->setContentSize({size.width * static_cast<CGFloat>(listCount()), size.height});
    if (!scrollView_->isDragging() && !scrollView_->isDecelerating()) {
        scrollView_->setContentOffset({size.width * static_cast<CGFloat>(currentIndex_), 0});
    }
    placeLists();
    if (size.width > 0) {
        ensureList(currentIndex_);
    }
}

void JXSegmentedListContainerView::scrollViewContentOffsetDidChange(UIScrollView& scroll) {
    const CGFloat width = bounds().size.width;
    if (width <= 0 || listCount() == 0) {
        return;
    }
    // Pages coming into sight are made as they appear.
    const double position = scroll.contentOffset().x / width;
    ensureList(static_cast<long>(std::floor(position)));
    ensureList(static_cast<long>(std::ceil(position)));
}

void JXSegmentedListContainerView::scrollViewDidEndScrolling(UIScrollView& scroll) {
    const CGFloat width = bounds().size.width;
    if (width > 0) {
        settle(static_cast<long>(std::lround(scroll.contentOffset().x / width)));
    }
}

void JXSegmentedListContainerView::didClickSelectedItemAt(long index) {
    if (index < 0 || index >= listCount()) {
        return;
    }
    ensureList(index);
    scrollView_->setContentOffset({bounds().size.width * static_cast<CGFloat>(index), 0}, false);
    settle(index);
}

void JXSegmentedListContainerView::settle(long index) {
    if (index == currentIndex_) {
        return;
    }
    auto leaving = lists_.find(currentIndex_);
    auto arriving = lists_.find(index);
    if (leaving != lists_.end()) {
        leaving->second->listWillDisappear();
    }
    if (arriving != lists_.end()) {
        arriving->second->listWillAppear();
    }
    currentIndex_ = index;
    if (leaving != lists_.end()) {
        leaving->second->listDidDisappear();
    }
    if (arriving != lists_.end()) {
        arriving->second->listDidAppear();
    }
}
