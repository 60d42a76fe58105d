#include "platform/MJRefresh/MJRefreshHeader.h"

#include "platform/QuartzCore/CAShapeLayer.h"

#include <algorithm>
#include <cmath>

namespace {

std::shared_ptr<UIView> makeArrow() {
    auto arrow = std::make_shared<UIView>(CGRectMake(0, 0, 15, 40));
    auto shape = CAShapeLayer::layer();
    CGPath path;
    path.move({7.5, 4});
    path.addLine({7.5, 36});
    path.move({1.5, 29});
    path.addLine({7.5, 36});
    path.addLine({13.5, 29});
    shape->setPath(path);
    shape->setFillColor(std::nullopt);
    shape->setStrokeColor(MJRefreshStateText::textColor());
    shape->setLineWidth(2);
    shape->setLineCap(kCALineCapRound);
    shape->setLineJoin(kCALineJoinRound);
    shape->setFrame(CGRectMake(0, 0, 15, 40));
    arrow->layer()->addSublayer(shape);
    arrow->setUserInteractionEnabled(false);
    return arrow;
}

} // namespace

// ---- MJRefreshHeader ----------------------------------------------------------------------

MJRefreshHeader::MJRefreshHeader() {
    setFrame(CGRectMake(0, -MJRefreshHeaderHeight, 0, MJRefreshHeaderHeight));
}

void MJRefreshHeader::didAttachToScrollView(UIScrollView& scrollView) {
    MJRefreshComponent::didAttachToScrollView(scrollView);
    updateFrame();
}

void MJRefreshHeader::updateFrame() {
    if (auto scroll = scrollView()) {
        const CGRect wanted{{0, -MJRefreshHeaderHeight},
                            {scroll->bounds().size.width, MJRefreshHeaderHeight}};
        if (frame() != wanted) {
            setFrame(wanted);
        }
    }
}

void MJRefreshHeader::scrollViewContentOffsetDidChange(UIScrollView& scroll) {
    updateFrame();
    if (changingInset_ || state() == MJRefreshState::refreshing) {
        return;
    }
    // Where the content rests at the top, not counting what this header added.
    const CGFloat restingY = -(scroll.adjustedContentInset().top - addedInset_);
    const CGFloat offsetY = scroll.contentOffset().y;
    pullingPercent_ = std::max<CGFloat>(0, (restingY - offsetY) / MJRefreshHeaderHeight);
    if (offsetY > restingY) {
        return;
    }
    const CGFloat pullingY = restingY - MJRefreshHeaderHeight;
    if (scroll.isDragging()) {
        if (state() == MJRefreshState::idle && offsetY < pullingY) {
            setState(MJRefreshState::pulling);
        } else if (state() == MJRefreshState::pulling && offsetY >= pullingY) {
            setState(MJRefreshState::idle);
        }
    }
}

void MJRefreshHeader::scrollViewDidEndDragging(UIScrollView&) {
    if (state() == MJRefreshState::pulling) {
        beginRefreshing();
    }
}

void MJRefreshHeader::beginRefreshing() {
    if (state() == MJRefreshState::refreshing) {
        return;
    }
    setState(MJRefreshState::refreshing);
}

void MJRefreshHeader::setState(MJRefreshState state) {
    const MJRefreshState old = this->state();
    if (old == state) {
        return;
    }
    MJRefreshComponent::setState(state);
    auto scroll = scrollView();
    if (state == MJRefreshState::refreshing) {
        if (scroll) {
            // The content rests below the header while it refreshes.
            changingInset_ = true;
            UIEdgeInsets inset = scroll->contentInset();
            inset.top += MJRefreshHeaderHeight;
            addedInset_ = MJRefreshHeaderHeight;
            scroll->setContentInset(inset);
            if (!scroll->isDragging()) {
                const CGFloat top = -scroll->adjustedContentInset().top;
                if (scroll->contentOffset().y > top) {
                    scroll->setContentOffset({scroll->contentOffset().x, top}, true);
                }
            }
            changingInset_ = false;
        }
        executeRefreshingCallback();
    } else if (old == MJRefreshState::refreshing && addedInset_ > 0) {
        if (scroll) {
            changingInset_ = true;
            UIEdgeInsets inset = scroll->contentInset();
            inset.top -= addedInset_;
            const CGFloat offsetY = scroll->contentOffset().y;
            scroll->setContentInset(inset);
            addedInset_ = 0;
            const CGFloat top = -scroll->adjustedContentInset().top;
            if (!scroll->isDragging() && offsetY < top) {
                scroll->setContentOffset({scroll->contentOffset().x, top}, true);
            }
            changingInset_ = false;
        }
        addedInset_ = 0;
    }
}

// ---- MJRefreshStateHeader -------------------------------------------------------------------

MJRefreshStateHeader::MJRefreshStateHeader()
    : stateText_({{MJRefreshState::idle, "下拉刷新"},
                  {MJRefreshState::pulling, "松开刷新"},
                  {MJRefreshState::refreshing, "正在刷新…"}}) {}

void MJRefreshStateHeader::didAttachToScrollView(UIScrollView& scrollView) {
    MJRefreshHeader::didAttachToScrollView(scrollView);
    if (stateLabel()->superview().get() != this) {
        addSubview(stateLabel());
    }
}

void MJRefreshStateHeader::setTitle(const std::string& title, MJRefreshState state) {
    stateText_.setTitle(title, state, this->state());
}

void MJRefreshStateHeader::setState(MJRefreshState state) {
    MJRefreshHeader::setState(state);
    stateText_.show(this->state());
}

void MJRefreshStateHeader::placeSubviews() {
    stateLabel()->setFrame(bounds());
}

// ---- MJRefreshNormalHeader -------------------------------------------------------------------

MJRefreshNormalHeader::MJRefreshNormalHeader()
    : arrowView_(makeArrow()), loadingView_(std::make_shared<UIActivityIndicatorView>()) {}

std::shared_ptr<MJRefreshNormalHeader>
MJRefreshNormalHeader::headerWithRefreshingBlock(RefreshingBlock block) {
    auto header = std::make_shared<MJRefreshNormalHeader>();
    header->setRefreshingBlock(std::move(block));
    return header;
}

void MJRefreshNormalHeader::didAttachToScrollView(UIScrollView& scrollView) {
    MJRefreshStateHeader::didAttachToScrollView(scrollView);
    if (arrowView_->superview().get() != this) {
        addSubview(arrowView_);
        addSubview(loadingView_);
    }
}

void MJRefreshNormalHeader::setState(MJRefreshState state) {
    MJRefreshStateHeader::setState(state);
    const MJRefreshState now = this->state();
    if (now == MJRefreshState::refreshing) {
        arrowView_->setHidden(true);
        loadingView_->startAnimating();
        return;
    }
    loadingView_->stopAnimating();
    arrowView_->setHidden(false);
    // The arrow turns up when letting go would refresh.
    UIView::animateWithDuration(0.25, [&] {
        arrowView_->setTransform(now == MJRefreshState::pulling ? CGAffineTransformMakeRotation(M_PI)
                                                                : CGAffineTransformIdentity);
    });
}

void MJRefreshNormalHeader::placeSubviews() {
    MJRefreshStateHeader::placeSubviews();
    const CGRect bounds = this->bounds();
    const CGFloat textWidth = stateLabel()->sizeThatFits({0, 0}).width;
    const CGFloat x = std::max<CGFloat>(20, bounds.midX() - textWidth / 2 - 20 - 15);
    arrowView_->setCenter({x, bounds.midY()});
    loadingView_->setCenter({x, bounds.midY()});
}
