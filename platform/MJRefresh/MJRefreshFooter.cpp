#include "platform/MJRefresh/MJRefreshFooter.h"

#include "platform/UIKit/UITouch.h"

#include <algorithm>

// ---- MJRefreshFooter -------------------------------------------------------------------------

void MJRefreshFooter::endRefreshingWithNoMoreData() {
    setState(MJRefreshState::noMoreData);
}

void MJRefreshFooter::resetNoMoreData() {
    if (state() == MJRefreshState::noMoreData) {
        setState(MJRefreshState::idle);
    }
}

void MJRefreshFooter::setHidden(bool hidden) {
    if (isHidden() == hidden) {
        return;
    }
    UIView::setHidden(hidden);
    hiddenDidChange();
}

// ---- MJRefreshAutoFooter ----------------------------------------------------------------------

MJRefreshAutoFooter::MJRefreshAutoFooter() {
    setFrame(CGRectMake(0, 0, 0, MJRefreshFooterHeight));
}

void MJRefreshAutoFooter::didAttachToScrollView(UIScrollView& scrollView) {
    MJRefreshFooter::didAttachToScrollView(scrollView);
    lastOffsetY_ = scrollView.contentOffset().y;
    updateFrame();
    syncInset();
}

void MJRefreshAutoFooter::willDetachFromScrollView(UIScrollView& scrollView) {
    MJRefreshFooter::willDetachFromScrollView(scrollView);
    // Leaving: give the room back.
    if (addedInset_ != 0) {
        UIEdgeInsets inset = scrollView.contentInset();
        inset.bottom -= addedInset_;
        addedInset_ = 0;
        scrollView.setContentInset(inset);
    }
}

void MJRefreshAutoFooter::syncInset() {
    auto scroll = scrollView();
    if (!scroll) {
        return;
    }
    const CGFloat wanted = isHidden() ? 0 : MJRefreshFooterHeight;
    if (wanted == addedInset_) {
        return;
    }
    UIEdgeInsets inset = scroll->contentInset();
    inset.bottom += wanted - addedInset_;
    addedInset_ = wanted;
    scroll->setContentInset(inset);
}

void MJRefreshAutoFooter::updateFrame() {
    if (auto scroll = scrollView()) {
        const CGRect wanted{{0, scroll->contentSize().height},
                            {scroll->bounds().size.width, MJRefreshFooterHeight}};
        if (frame() != wanted) {
            setFrame(wanted);
        }
    }
}

void MJRefreshAutoFooter::scrollViewContentSizeDidChange(UIScrollView&) {
    updateFrame();
    syncInset();
}

void MJRefreshAutoFooter::scrollViewContentOffsetDidChange(UIScrollView& scroll) {
    updateFrame();
    const CGFloat offsetY = scroll.contentOffset().y;
    const bool movingDown = offsetY > lastOffsetY_;
    lastOffsetY_ = offsetY;
    if (state() != MJRefreshState::idle || !automaticallyRefresh || isHidden() || frame().origin.y <= 0) {
        return;
    }
    const UIEdgeInsets inset = scroll.adjustedContentInset();
    const CGFloat contentHeight = scroll.contentSize().height;
    const CGFloat viewHeight = scroll.bounds().size.height;
    if (inset.top + contentHeight <= viewHeight) {
        return; // content shorter than the view: only a drag up loads
    }
    // The footer's trigger share has come into sight, scrolling down (not back up).
    const CGFloat trigger = contentHeight - viewHeight +
                            MJRefreshFooterHeight * triggerAutomaticallyRefreshPercent + inset.bottom -
                            MJRefreshFooterHeight;
    if (movingDown && offsetY >= trigger) {
        beginRefreshing();
    }
}

void MJRefreshAutoFooter::scrollViewDidEndDragging(UIScrollView& scroll) {
    if (state() != MJRefreshState::idle || isHidden()) {
        return;
    }
    const UIEdgeInsets inset = scroll.adjustedContentInset();
    if (inset.top + scroll.contentSize().height <= scroll.bounds().size.height &&
        scroll.contentOffset().y > -inset.top) {
        beginRefreshing();
    }
}

void MJRefreshAutoFooter::setState(MJRefreshState state) {
    const MJRefreshState old = this->state();
    if (old == state) {
        return;
    }
    MJRefreshFooter::setState(state);
    if (state == MJRefreshState::refreshing) {
        executeRefreshingCallback();
    }
}

// ---- MJRefreshAutoStateFooter -------------------------------------------------------------------

MJRefreshAutoStateFooter::MJRefreshAutoStateFooter()
    : stateText_({{MJRefreshState::idle, "上拉或点击加载更多"},
                  {MJRefreshState::refreshing, "正在加载…"},
                  {MJRefreshState::noMoreData, "没有更多了"}}) {}

void MJRefreshAutoStateFooter::didAttachToScrollView(UIScrollView& scrollView) {
    MJRefreshAutoFooter::didAttachToScrollView(scrollView);
    if (stateLabel()->superview().get() != this) {
        addSubview(stateLabel());
    }
}

void MJRefreshAutoStateFooter::setTitle(const std::string& title, MJRefreshState state) {
    stateText_.setTitle(title, state, this->state());
}

void MJRefreshAutoStateFooter::setState(MJRefreshState state) {
    MJRefreshAutoFooter::setState(state);
    const MJRefreshState now = this->state();
    if (now == MJRefreshState::refreshing && refreshingTitleHidden) {
        stateLabel()->setText("");
    } else {
        stateText_.show(now);
    }
}

void MJRefreshAutoStateFooter::placeSubviews() {
    stateLabel()->setFrame(bounds());
}

void MJRefreshAutoStateFooter::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    if (state() == MJRefreshState::idle && !touches.empty() &&
        bounds().contains(touches.front()->locationInView(this))) {
        beginRefreshing();
    }
}

// ---- MJRefreshAutoNormalFooter -----------------------------------------------------------------------

MJRefreshAutoNormalFooter::MJRefreshAutoNormalFooter()
    : loadingView_(std::make_shared<UIActivityIndicatorView>()) {}

std::shared_ptr<MJRefreshAutoNormalFooter>
MJRefreshAutoNormalFooter::footerWithRefreshingBlock(RefreshingBlock block) {
    auto footer = std::make_shared<MJRefreshAutoNormalFooter>();
    footer->setRefreshingBlock(std::move(block));
    return footer;
}

void MJRefreshAutoNormalFooter::didAttachToScrollView(UIScrollView& scrollView) {
    MJRefreshAutoStateFooter::didAttachToScrollView(scrollView);
    if (loadingView_->superview().get() != this) {
        addSubview(loadingView_);
    }
}

void MJRefreshAutoNormalFooter::setState(MJRefreshState state) {
    MJRefreshAutoStateFooter::setState(state);
    if (this->state() == MJRefreshState::refreshing) {
        loadingView_->startAnimating();
    } else {
        loadingView_->stopAnimating();
    }
}

void MJRefreshAutoNormalFooter::placeSubviews() {
    MJRefreshAutoStateFooter::placeSubviews();
    const CGRect bounds = this->bounds();
    const CGFloat textWidth = stateLabel()->text().empty() ? 0 : stateLabel()->sizeThatFits({0, 0}).width;
    loadingView_->setCenter(
        {textWidth > 0 ? bounds.midX() - textWidth / 2 - 20 : bounds.midX(), bounds.midY()});
}
