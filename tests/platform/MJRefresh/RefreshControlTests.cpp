#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/UIKit/Controls/UITableView.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/platform/UIKit/Controls/TouchScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class Rows : public UITableViewDataSource {
  public:
    long numberOfRowsInSection(UITableView&, long) override { return count; }
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& table, const NSIndexPath& path) override {
        return table.dequeueReusableCellWithIdentifier("row", path);
    }
    long count = 30;
};

class RefreshControls : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
        window->makeKeyAndVisible();
        rows = std::make_shared<Rows>();
        table = std::make_shared<UITableView>(window->bounds());
        table->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
        table->registerClass<UITableViewCell>("row");
        table->setDataSource(rows);
        window->addSubview(table);
        window->layoutIfNeeded();
    }

    void attachHeader() {
        table->setMj_header(MJRefreshNormalHeader::headerWithRefreshingBlock([this] { ++headerLoads; }));
    }

    void attachFooter() {
        table->setMj_footer(MJRefreshAutoNormalFooter::footerWithRefreshingBlock([this] { ++footerLoads; }));
        window->layoutIfNeeded();
    }

    // Scrolls down to `offset` as a finger does: in small steps.
    void scrollTo(double offset) {
        for (double y = table->contentOffset().y; y < offset; y = std::min(offset, y + 20)) {
            table->setContentOffset({0, std::min(offset, y + 20)});
        }
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<Rows> rows;
    std::shared_ptr<UITableView> table;
    int headerLoads = 0;
    int footerLoads = 0;
};

} // namespace

TEST_F(RefreshControls, TheHeaderRefreshesOnlyWhenLetGoPastItsHeight) {
    attachHeader();
    auto header = table->mj_header();
    TouchScript touches(*window);
    touches.drag({160, 100}, {0, 60}, 0.5, 0.2);
    EXPECT_EQ(header->state(), MJRefreshState::idle);
    RunLoop::main().advance(1);
    EXPECT_EQ(headerLoads, 0) << "a short pull does nothing";
    EXPECT_EQ(table->contentOffset().y, 0);

    window->handleTouch(UITouchPhase::began, {160, 100}, RunLoop::main().now());
    for (int y = 100; y <= 400; y += 10) {
        RunLoop::main().advance(1.0 / 60);
        window->handleTouch(UITouchPhase::moved, {160, static_cast<double>(y)}, RunLoop::main().now());
    }
    EXPECT_EQ(header->state(), MJRefreshState::pulling);
    window->handleTouch(UITouchPhase::ended, {160, 400}, RunLoop::main().now());
    EXPECT_EQ(header->state(), MJRefreshState::refreshing);
    EXPECT_EQ(headerLoads, 1);
    RunLoop::main().advance(2);
    EXPECT_EQ(table->contentInset().top, MJRefreshHeaderHeight);
    EXPECT_EQ(table->contentOffset().y, -MJRefreshHeaderHeight) << "the content rests below the header";

    header->endRefreshing();
    RunLoop::main().advance(1);
    EXPECT_EQ(header->state(), MJRefreshState::idle);
    EXPECT_EQ(table->contentInset().top, 0);
    EXPECT_EQ(table->contentOffset().y, 0);
    EXPECT_EQ(headerLoads, 1);
}

TEST_F(RefreshControls, BeginRefreshingRunsTheBlockAtOnceAndOnlyOnce) {
    attachHeader();
    table->mj_header()->beginRefreshing();
    EXPECT_EQ(headerLoads, 1);
    table->mj_header()->beginRefreshing();
    EXPECT_EQ(headerLoads, 1);
    EXPECT_TRUE(table->mj_header()->isRefreshing());
    table->mj_header()->endRefreshing();
    EXPECT_EQ(table->contentInset().top, 0);
}

TEST_F(RefreshControls, TheFooterLoadsOnceNearTheEndUntilItEndsRefreshing) {
    attachFooter();
    auto footer = table->mj_footer();
    EXPECT_EQ(table->contentInset().bottom, MJRefreshFooterHeight);
    EXPECT_EQ(footer->frame().origin.y, 30 * 44);
    scrollTo(300);
    EXPECT_EQ(footerLoads, 0);
    scrollTo(table->verticalOffsetRange().max);
    EXPECT_EQ(footerLoads, 1);
    EXPECT_EQ(footer->state(), MJRefreshState::refreshing);
    table->setContentOffset({0, table->contentOffset().y - 30});
    scrollTo(table->verticalOffsetRange().max);
    EXPECT_EQ(footerLoads, 1) << "no second load while the first runs";

    // The page appends rows and ends the refresh; the footer moves below them.
    rows->count = 45;
    table->reloadData();
    window->layoutIfNeeded();
    footer->endRefreshing();
    EXPECT_EQ(footer->frame().origin.y, 45 * 44);
    scrollTo(table->verticalOffsetRange().max);
    EXPECT_EQ(footerLoads, 2);
}

TEST_F(RefreshControls, NoMoreDataStopsTheFooterUntilReset) {
    attachFooter();
    auto footer = table->mj_footer();
    scrollTo(table->verticalOffsetRange().max);
    ASSERT_EQ(footerLoads, 1);
    footer->endRefreshingWithNoMoreData();
    table->setContentOffset({0, 0});
    scrollTo(table->verticalOffsetRange().max);
    EXPECT_EQ(footerLoads, 1);
    EXPECT_EQ(footer->state(), MJRefreshState::noMoreData);

    footer->resetNoMoreData();
    table->setContentOffset({0, 0});
    scrollTo(table->verticalOffsetRange().max);
    EXPECT_EQ(footerLoads, 2);
    footer->resetNoMoreData();
    EXPECT_TRUE(footer->isRefreshing()) << "resetting does not cut a running load short";
    footer->endRefreshingWithNoMoreData();
    footer->endRefreshing();
    EXPECT_EQ(footer->state(), MJRefreshState::idle) << "ending the refresh also leaves no-more-data";
}

TEST_F(RefreshControls, AHiddenFooterTakesNoRoomAndNeverLoads) {
    attachFooter();
    auto footer = table->mj_footer();
    footer->setHidden(true);
    EXPECT_EQ(table->contentInset().bottom, 0);
    scrollTo(table->verticalOffsetRange().max);
    EXPECT_EQ(footerLoads, 0);
    footer->setHidden(false);
    EXPECT_EQ(table->contentInset().bottom, MJRefreshFooterHeight);
    table->setMj_footer(nullptr);
    EXPECT_EQ(table->contentInset().bottom, 0) << "a removed footer gives its room back";
}

TEST_F(RefreshControls, WithShortContentADragUpLoads) {
    rows->count = 3;
    table->reloadData();
    attachFooter();
    TouchScript(*window).drag({160, 300}, {0, -100}, 0.5, 0.2);
    EXPECT_EQ(footerLoads, 1);
}

TEST_F(RefreshControls, TheStateLabelsSayWhatEachStateDoes) {
    auto header = MJRefreshNormalHeader::headerWithRefreshingBlock([this] { ++headerLoads; });
    table->setMj_header(header);
    EXPECT_EQ(header->stateLabel()->text(), "下拉刷新");
    header->setTitle("松手即可刷新", MJRefreshState::pulling);
    EXPECT_EQ(header->stateLabel()->text(), "下拉刷新") << "another state's title waits for its state";
    header->beginRefreshing();
    EXPECT_EQ(header->stateLabel()->text(), "正在刷新…");
    header->setTitle("刷新中", MJRefreshState::refreshing);
    EXPECT_EQ(header->stateLabel()->text(), "刷新中") << "the current state's title shows at once";

    auto footer = MJRefreshAutoNormalFooter::footerWithRefreshingBlock([this] { ++footerLoads; });
    table->setMj_footer(footer);
    EXPECT_EQ(footer->stateLabel()->text(), "上拉或点击加载更多");
    footer->refreshingTitleHidden = true;
    footer->beginRefreshing();
    EXPECT_EQ(footer->stateLabel()->text(), "");
    footer->endRefreshingWithNoMoreData();
    EXPECT_EQ(footer->stateLabel()->text(), "没有更多了");
}
