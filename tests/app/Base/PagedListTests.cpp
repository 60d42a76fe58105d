#include "app/Base/PagedList.h"

#include "app/Base/BaseViewController.h"
#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A row made from one element of an answer: its "id".
struct Row {
    explicit Row(const JSON& element) : id(element["id"].stringValue()) {}
    std::string id;
};
using Rows = PagedList<Row>;

// The grid's cells count the rows, so a reload shows what the list holds.
class RowCount : public UICollectionViewDataSource {
  public:
    explicit RowCount(std::weak_ptr<Rows> rows) : rows_(std::move(rows)) {}
    long numberOfItemsInSection(UICollectionView&, long) override {
        const auto rows = rows_.lock();
        return rows ? static_cast<long>(rows->size()) : 0;
    }
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView&, const NSIndexPath&) override {
        return std::make_shared<UICollectionViewCell>();
    }

  private:
    std::weak_ptr<Rows> rows_;
};

// A list on a grid of a loaded page, whose requests the test answers in any order.
class PagedListTest : public testing::Test {
  protected:
    struct Asked {
        int page;
        PagedListBase::Completion completion;
    };

    void make(PagedListStyle style) {
        rows = Rows::make(
            [this](int page, PagedListBase::Completion completion) {
                asked.push_back({page, std::move(completion)});
            },
            style);
        rows->setListener([this](const PagedListBase::Update& update) { updates.push_back(update); });
        page = std::make_shared<BaseViewController>();
        page->loadViewIfNeeded();
        grid = std::make_shared<UICollectionView>(CGRect{{0, 0}, {320, 480}},
                                                  std::make_shared<UICollectionViewFlowLayout>());
        source = std::make_shared<RowCount>(rows);
        grid->setDataSource(source);
        page->view()->addSubview(grid);
        rows->attach(grid, page);
    }

    static JSON page_of(int first, int count) {
        JSON::Storage array = JSON::Storage::array();
        for (int i = first; i < first + count; ++i) {
            array.push_back({{"id", std::to_string(i)}});
        }
        return JSON(array);
    }
    void answer(std::size_t request, std::optional<JSON> json) {
        auto completion = asked.at(request).completion;
        completion(json, json ? std::nullopt : std::optional<NSError>(NSError{"网络错误", 500}));
    }
    std::vector<std::string> ids() const {
        std::vector<std::string> found;
        for (const auto& row : rows->items()) {
            found.push_back(row.id);
        }
        return found;
    }
    long shown() const { return grid->numberOfItemsInSection(0); }
    MJRefreshState footerState() const { return grid->mj_footer()->state(); }

    std::shared_ptr<Rows> rows;
    std::shared_ptr<BaseViewController> page;
    std::shared_ptr<UICollectionView> grid;
    std::shared_ptr<RowCount> source;
    std::vector<Asked> asked;
    std::vector<PagedListBase::Update> updates;
};

TEST_F(PagedListTest, PagesAppendInOrderUntilTheFirstEmptyPageAndAPullDownStartsAgain) {
    make({});
    grid->mj_header()->beginRefreshing();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].page, 1);
    answer(0, page_of(1, 15));
    EXPECT_FALSE(grid->mj_header()->isRefreshing());
    EXPECT_EQ(shown(), 15);
    grid->mj_footer()->beginRefreshing();
    EXPECT_EQ(asked[1].page, 2);
    answer(1, page_of(15, 3)); // "15" again: duplicates across pages stay
    EXPECT_EQ(footerState(), MJRefreshState::idle) << "a short page does not end the list";
    grid->mj_footer()->beginRefreshing();
    EXPECT_EQ(asked[2].page, 3);
    answer(2, page_of(0, 0));
    EXPECT_TRUE(updates.back().reachedEnd);
    EXPECT_EQ(footerState(), MJRefreshState::noMoreData);
    EXPECT_EQ(rows->size(), 18u);
    EXPECT_EQ(ids()[15], "15");
    EXPECT_EQ(ids()[14], "15");

    // The pull-down asks page 1, keeps the rows until it answers, and pages again.
    grid->mj_header()->beginRefreshing();
    EXPECT_EQ(asked[3].page, 1);
    EXPECT_EQ(footerState(), MJRefreshState::idle);
    EXPECT_EQ(shown(), 18);
    answer(3, page_of(100, 2));
    EXPECT_EQ(ids(), (std::vector<std::string>{"100", "101"})) << "page 1 replaces the rows";
    EXPECT_EQ(shown(), 2);
    rows->loadMore();
    EXPECT_EQ(asked[4].page, 2);
}

TEST_F(PagedListTest, LateAnswersToEarlierRequestsAreDropped) {
    make({});
    rows->refresh();
    answer(0, page_of(1, 15));
    rows->loadMore(); // page 2, slow
    rows->refresh();  // the user pulls down meanwhile
    answer(2, page_of(1, 15));
    answer(1, page_of(16, 15));
    EXPECT_EQ(rows->size(), 15u) << "the old page 2 is not appended to the new rows";
    EXPECT_EQ(updates.size(), 2u);
    rows->loadMore();
    EXPECT_EQ(asked.back().page, 2);

    // Two quick starts (a filter, then another; a keyword, then another): only the last one's
    // answer counts, whatever the order they come in, and a late failure stops nothing.
    rows->startOver();
    rows->startOver();
    const std::size_t second = asked.size() - 1;
    answer(second, page_of(200, 1));
    answer(second - 1, page_of(100, 1));
    answer(second - 2, std::nullopt);
    EXPECT_EQ(ids(), std::vector<std::string>{"200"});
    EXPECT_EQ(shown(), 1);

    // After a cancel nothing on its way counts.
    rows->loadMore();
    rows->cancel();
    answer(asked.size() - 1, page_of(300, 5));
    EXPECT_EQ(ids(), std::vector<std::string>{"200"});
    EXPECT_FALSE(rows->isLoading());
}

TEST_F(PagedListTest, APullUpDuringAPullDownAsksNothingAndEndsWithItsAnswer) {
    make({});
    grid->mj_header()->beginRefreshing();
    grid->mj_footer()->beginRefreshing();
    EXPECT_EQ(asked.size(), 1u) << "no second request while page 1 is on its way";
    EXPECT_TRUE(rows->isLoading());
    answer(0, page_of(1, 15));
    EXPECT_FALSE(rows->isLoading());
    EXPECT_EQ(footerState(), MJRefreshState::idle) << "the first page's answer ends the footer too";
    EXPECT_FALSE(grid->mj_header()->isRefreshing());
}

TEST_F(PagedListTest, AFailedPageChangesNoRowStopsTheControlsAndIsAskedAgain) {
    make({});
    rows->refresh();
    answer(0, page_of(1, 15));
    grid->mj_footer()->beginRefreshing();
    answer(1, std::nullopt);
    EXPECT_FALSE(updates.back().succeeded);
    EXPECT_EQ(rows->size(), 15u);
    EXPECT_EQ(rows->page(), 1);
    EXPECT_EQ(footerState(), MJRefreshState::idle);
    grid->mj_footer()->beginRefreshing();
    EXPECT_EQ(asked.back().page, 2) << "the failed page is asked again, not skipped";

    // A failed pull-down keeps the rows shown and stops its spinner.
    answer(2, page_of(16, 15));
    grid->mj_header()->beginRefreshing();
    answer(3, std::nullopt);
    EXPECT_EQ(rows->size(), 30u);
    EXPECT_FALSE(grid->mj_header()->isRefreshing());
    EXPECT_EQ(rows->page(), 1);
    grid->mj_footer()->beginRefreshing();
    EXPECT_EQ(asked.back().page, 1) << "the failed pull-down is asked again";
    answer(4, page_of(50, 15));
    EXPECT_EQ(rows->size(), 15u) << "and its answer replaces the rows";
    grid->mj_footer()->beginRefreshing();
    EXPECT_EQ(asked.back().page, 2);
}

TEST_F(PagedListTest, AfterTheEndAFailedPullDownThenAPullUpAsksPageOne) {
    make({.hidesFooterWhenEmpty = true, .emptyView = PagedListStyle::EmptyView::onceAnswered});
    rows->startOver();
    answer(0, page_of(1, 15));
    grid->mj_footer()->beginRefreshing();
    answer(1, page_of(16, 4));
    grid->mj_footer()->beginRefreshing();
    answer(2, page_of(0, 0));
    ASSERT_EQ(footerState(), MJRefreshState::noMoreData);

    grid->mj_header()->beginRefreshing();
    answer(3, std::nullopt);
    EXPECT_EQ(shown(), 19) << "the rows stay";
    EXPECT_EQ(footerState(), MJRefreshState::idle);
    grid->mj_footer()->beginRefreshing();
    EXPECT_EQ(asked.back().page, 1) << "not page 4, after the empty page 3";
    answer(4, page_of(100, 15));
    EXPECT_EQ(ids().front(), "100");
    EXPECT_EQ(shown(), 15);
}

TEST_F(PagedListTest, AfterAFailedFirstPageTheFooterAsksPageOneAgain) {
    make({.hidesFooterWhenEmpty = true, .emptyView = PagedListStyle::EmptyView::onceAnswered});
    rows->startOver();
    answer(0, std::nullopt);
    EXPECT_FALSE(page->isEmptyViewShowing()) << "a failure is not an empty list";
    EXPECT_TRUE(grid->mj_footer()->isHidden());
    rows->loadMore();
    EXPECT_EQ(asked.back().page, 1);
    answer(1, page_of(1, 15));
    EXPECT_EQ(shown(), 15);
    EXPECT_FALSE(grid->mj_footer()->isHidden());
    rows->loadMore();
    EXPECT_EQ(asked.back().page, 2);
}

TEST_F(PagedListTest, AnEmptyFirstPageShowsTheEmptyViewOnlyOnceAnswered) {
    make({.hidesFooterWhenEmpty = true, .emptyView = PagedListStyle::EmptyView::onceAnswered});
    EXPECT_TRUE(grid->mj_footer()->isHidden()) << "no footer under no rows";
    rows->refresh();
    EXPECT_FALSE(page->isEmptyViewShowing()) << "loading is not empty";
    answer(0, page_of(0, 0));
    EXPECT_TRUE(page->isEmptyViewShowing());
    EXPECT_TRUE(grid->mj_footer()->isHidden());
    EXPECT_EQ(footerState(), MJRefreshState::noMoreData);

    // Starting over (a new filter or keyword) leaves it to the new answer: a failure keeps
    // it, rows hide it.
    rows->startOver();
    EXPECT_TRUE(page->isEmptyViewShowing());
    EXPECT_EQ(footerState(), MJRefreshState::idle);
    answer(1, std::nullopt);
    EXPECT_TRUE(page->isEmptyViewShowing()) << "a failed new list says what the page said before";
    rows->startOver();
    answer(2, page_of(1, 3));
    EXPECT_FALSE(page->isEmptyViewShowing());
    EXPECT_FALSE(grid->mj_footer()->isHidden());

    // Rows already shown go at once on a start over, and the view reloads with none.
    rows->startOver();
    EXPECT_EQ(shown(), 0);
    EXPECT_TRUE(grid->mj_footer()->isHidden());
    rows->cancel();
    EXPECT_FALSE(page->isEmptyViewShowing());
}

TEST_F(PagedListTest, AnAnswerWithoutAnArrayIsAnEmptyPage) {
    make({.emptyView = PagedListStyle::EmptyView::onceAnswered});
    rows->refresh();
    answer(0, JSON(JSON::Storage(nullptr)));
    EXPECT_TRUE(updates.back().succeeded);
    EXPECT_TRUE(updates.back().reachedEnd);
    EXPECT_TRUE(rows->empty());
    EXPECT_TRUE(page->isEmptyViewShowing());
    EXPECT_EQ(footerState(), MJRefreshState::noMoreData);
}

TEST_F(PagedListTest, AListThatNeverEndsKeepsItsFooterAndAPullDownCanEmptyAtOnce) {
    make({.pullDownEmptiesRows = true, .endsAtEmptyPage = false});
    rows->refresh();
    answer(0, page_of(1, 4));
    grid->mj_footer()->beginRefreshing();
    answer(1, page_of(0, 0));
    EXPECT_EQ(footerState(), MJRefreshState::idle) << "an empty page does not end this list";
    grid->mj_header()->beginRefreshing();
    EXPECT_EQ(shown(), 0) << "the pull-down empties the grid before the answer";
    answer(2, page_of(9, 2));
    EXPECT_EQ(ids(), (std::vector<std::string>{"9", "10"}));
}

TEST_F(PagedListTest, ASinglePageListHasNoFooterAndItsEmptyViewFollowsTheRows) {
    make({.loadMoreFooter = false, .emptyView = PagedListStyle::EmptyView::whenNoRows});
    EXPECT_EQ(grid->mj_footer(), nullptr);
    EXPECT_TRUE(page->isEmptyViewShowing());
    rows->refresh();
    answer(0, page_of(1, 2));
    EXPECT_FALSE(page->isEmptyViewShowing());
    rows->refresh();
    answer(1, page_of(0, 0));
    EXPECT_TRUE(page->isEmptyViewShowing());
    rows->refresh();
    answer(2, std::nullopt);
    EXPECT_TRUE(page->isEmptyViewShowing()) << "a failed load leaves the list empty";
}

TEST_F(PagedListTest, TheControlsRunThePagesOwnActionAndTheListenerSeesTheAnswer) {
    make({});
    int actions = 0;
    rows->setControlAction([&] { ++actions; });
    grid->mj_header()->beginRefreshing();
    EXPECT_EQ(actions, 1);
    grid->mj_footer()->beginRefreshing(); // asks nothing while page 1 is on its way: no action either
    EXPECT_EQ(actions, 1);
    rows->refresh(); // the page's own refresh (a filter) runs no action
    EXPECT_EQ(actions, 1);
    std::string seen;
    rows->setListener([&](const PagedListBase::Update& update) {
        seen = (*update.answer)[0]["id"].stringValue() + "/" + std::to_string(rows->size());
    });
    answer(1, page_of(7, 1));
    EXPECT_EQ(seen, "7/1") << "the listener runs with the answer once the rows are taken";
}

TEST_F(PagedListTest, RowsReadOnTheDeviceReplaceTheRowsAndAnyAnswerOnItsWay) {
    make({.emptyView = PagedListStyle::EmptyView::onceAnswered});
    rows->refresh();
    rows->show({Row(JSON(JSON::Storage{{"id", "a"}})), Row(JSON(JSON::Storage{{"id", "b"}}))});
    EXPECT_EQ(shown(), 2);
    EXPECT_FALSE(page->isEmptyViewShowing());
    EXPECT_FALSE(rows->isLoading());
    answer(0, page_of(1, 5));
    EXPECT_EQ(ids(), (std::vector<std::string>{"a", "b"})) << "the rows shown are newer than the answer";
    rows->show({});
    EXPECT_EQ(shown(), 0);
    EXPECT_TRUE(page->isEmptyViewShowing()) << "the last row deleted brings the empty view";
}

TEST_F(PagedListTest, AnAnswerAfterTheListIsGoneIsIgnored) {
    make({});
    rows->refresh();
    auto completion = asked[0].completion;
    asked.clear();
    rows.reset();
    completion(page_of(1, 3), std::nullopt);
    EXPECT_TRUE(updates.empty());
    EXPECT_EQ(shown(), 0);
}

} // namespace
