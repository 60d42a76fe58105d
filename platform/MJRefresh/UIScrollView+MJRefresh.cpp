// The scroll view's refresh-control slots, defined here so that the scroll view needs
// nothing of this library unless a program uses it.

#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/UIKit/Controls/UIScrollView.h"

void UIScrollView::setMj_header(std::shared_ptr<MJRefreshHeader> header) {
    if (mjHeader_ == header) {
        return;
    }
    if (mjHeader_) {
        mjHeader_->removeFromSuperview();
    }
    mjHeader_ = std::move(header);
    if (mjHeader_) {
        // Pulling down must work however short the content is.
        setAlwaysBounceVertical(true);
        insertSubview(mjHeader_, 0);
    }
}

void UIScrollView::setMj_footer(std::shared_ptr<MJRefreshFooter> footer) {
    if (mjFooter_ == footer) {
        return;
    }
    if (mjFooter_) {
        mjFooter_->removeFromSuperview();
    }
    mjFooter_ = std::move(footer);
    if (mjFooter_) {
        insertSubview(mjFooter_, 0);
    }
}
