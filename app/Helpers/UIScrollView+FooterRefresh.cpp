#include "app/Helpers/UIScrollView+FooterRefresh.h"

#include "platform/MJRefresh/MJRefreshFooter.h"

void endFooterRefresh(UIScrollView& scrollView, std::int64_t page, std::int64_t lastPage) {
    const auto& footer = scrollView.mj_footer();
    if (!footer) {
        return;
    }
    if (page == 1) {
        if (lastPage < 2) {
            footer->endRefreshingWithNoMoreData();
        } else {
            footer->resetNoMoreData();
            footer->endRefreshing();
        }
    } else if (page >= lastPage) {
        footer->endRefreshingWithNoMoreData();
    } else {
        footer->endRefreshing();
    }
}
