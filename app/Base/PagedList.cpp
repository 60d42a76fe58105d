#include "app/Base/PagedList.h"

#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/QMUIKit/Controllers/QMUICommonViewController.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <algorithm>

void PagedListBase::attach(const std::shared_ptr<UICollectionView>& view,
                           const std::shared_ptr<QMUICommonViewController>& page) {
    reload_ = [weak = std::weak_ptr<UICollectionView>(view)] {
        if (const auto view = weak.lock()) {
            view->reloadData();
        }
    };
    attachControls(view, page);
}

void PagedListBase::attach(const std::shared_ptr<UITableView>& view,
                           const std::shared_ptr<QMUICommonViewController>& page) {
    reload_ = [weak = std::weak_ptr<UITableView>(view)] {
        if (const auto view = weak.lock()) {
            view->reloadData();
        }
    };
    attachControls(view, page);
}

void PagedListBase::attachControls(const std::shared_ptr<UIScrollView>& view,
                                   const std::shared_ptr<QMUICommonViewController>& page) {
    view_ = view;
    host_ = page;
    const std::weak_ptr<PagedListBase> weak = weak_from_this();
    if (style_.pullDownHeader) {
        view->setMj_header(MJRefreshNormalHeader::headerWithRefreshingBlock([weak] {
            if (const auto list = weak.lock()) {
                if (list->controlAction_) {
                    list->controlAction_();
                }
                if (list->style_.pullDownEmptiesRows) {
                    list->startOver();
                } else {
                    list->refresh();
                }
            }
        }));
    }
    if (style_.loadMoreFooter) {
        view->setMj_footer(MJRefreshAutoNormalFooter::footerWithRefreshingBlock([weak] {
            if (const auto list = weak.lock()) {
                // A pull-up while a page is on its way asks nothing: that page's answer ends
                // the footer too.
                if (!list->inFlight_ && list->controlAction_) {
                    list->controlAction_();
                }
                list->loadMore();
            }
        }));
    }
    showRowsState();
}

void PagedListBase::refresh() {
    // The rows shown stay until the answer; should it fail, the next load-more asks page 1.
    ++generation_;
    if (const auto view = view_.lock(); view && view->mj_footer()) {
        view->mj_footer()->resetNoMoreData();
    }
    request(1);
}

void PagedListBase::startOver() {
    ++generation_;
    loaded_ = 0;
    answered_ = false;
    clearRows();
    reload();
    if (const auto view = view_.lock(); view && view->mj_footer()) {
        // Ending the footer also leaves its no-more-data state: the new list pages again.
        view->mj_footer()->endRefreshing();
    }
    hideFooterUnderNoRows();
    // Whether the list is empty is known from the answer: until then the empty view says
    // what the last answer left (a failure leaves it so).
    if (style_.emptyView == PagedListStyle::EmptyView::whenNoRows) {
        showRowsState();
    }
    request(1);
}

void PagedListBase::loadMore() {
    if (inFlight_) {
        // Nothing is asked: the answer on its way ends the footer too.
        return;
    }
    request(loaded_ + 1);
}

void PagedListBase::cancel() {
    ++generation_;
    inFlight_ = false;
    answered_ = false;
    stopControls();
    showRowsState();
}

void PagedListBase::rowsReplaced() {
    ++generation_;
    inFlight_ = false;
    loaded_ = 1;
    answered_ = true;
    stopControls();
    reload();
    showRowsState();
}

void PagedListBase::rowsRemoved() {
    reload();
    showRowsState();
}

void PagedListBase::request(int page) {
    page_ = page;
    inFlight_ = true;
    const unsigned generation = generation_;
    fetch_(page, [weak = weak_from_this(), page, generation](std::optional<JSON> answer,
                                                             std::optional<NSError> error) {
        if (const auto list = weak.lock()) {
            list->answered(page, generation, answer, error);
        }
    });
}

void PagedListBase::answered(int page, unsigned generation, const std::optional<JSON>& answer,
                             const std::optional<NSError>& error) {
    if (generation != generation_) {
        return;
    }
    inFlight_ = false;
    if (answer) {
        succeeded(page, *answer);
    } else {
        failed(page, error);
    }
}

void PagedListBase::succeeded(int page, const JSON& answer) {
    const bool reachedEnd = take(answer, page == 1) == 0;
    loaded_ = page;
    answered_ = true;
    if (listener_) {
        listener_({true, reachedEnd, &answer});
    }
    if (const auto view = view_.lock()) {
        if (view->mj_header()) {
            view->mj_header()->endRefreshing();
        }
        if (const auto& footer = view->mj_footer()) {
            footer->endRefreshing();
            if (reachedEnd && style_.endsAtEmptyPage) {
                footer->endRefreshingWithNoMoreData();
            }
        }
    }
    reload();
    showRowsState();
}

void PagedListBase::failed(int page, const std::optional<NSError>& error) {
    // The next load-more asks the failed page again. After a first page that is page 1: the
    // rows shown are those the failed pull-down meant to replace, and counting on from them
    // would skip what the list holds now.
    if (page == 1) {
        loaded_ = 0;
    }
    page_ = std::max(loaded_, 1);
    if (listener_) {
        listener_({.error = error ? &*error : nullptr});
    }
    stopControls();
}

void PagedListBase::stopControls() {
    if (const auto view = view_.lock()) {
        if (view->mj_header()) {
            view->mj_header()->endRefreshing();
        }
        // A footer that says there is no more keeps saying so.
        if (view->mj_footer() && view->mj_footer()->state() != MJRefreshState::noMoreData) {
            view->mj_footer()->endRefreshing();
        }
    }
}

void PagedListBase::hideFooterUnderNoRows() {
    if (const auto view = view_.lock(); view && view->mj_footer() && style_.hidesFooterWhenEmpty) {
        view->mj_footer()->setHidden(!hasRows());
    }
}

void PagedListBase::showRowsState() {
    const bool empty = !hasRows();
    hideFooterUnderNoRows();
    const auto host = host_.lock();
    if (!host || style_.emptyView == PagedListStyle::EmptyView::never) {
        return;
    }
    const bool shows = empty && (answered_ || style_.emptyView == PagedListStyle::EmptyView::whenNoRows);
    if (shows) {
        host->showEmptyView();
    } else {
        host->hideEmptyView();
    }
}

void PagedListBase::reload() {
    if (reload_) {
        reload_();
    }
}
