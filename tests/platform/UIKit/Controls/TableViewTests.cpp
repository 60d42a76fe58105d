#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controls/UITableView.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIPanGestureRecognizer.h"
#include "tests/platform/UIKit/Controls/TouchScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

int gCellsMade = 0;
int gCellsAlive = 0;

class CountedCell : public UITableViewCell {
  public:
    CountedCell() {
        ++gCellsMade;
        ++gCellsAlive;
    }
    ~CountedCell() override { --gCellsAlive; }
    void prepareForReuse() override {
        UITableViewCell::prepareForReuse();
        ++reuses;
        row = -1;
    }
    long row = -1;
    int reuses = 0;
};

// Rows numbered per section; heights by the delegate when `heights` holds one.
class Rows : public UITableViewDataSource, public UITableViewDelegate {
  public:
    long numberOfSections(UITableView&) override { return static_cast<long>(counts.size()); }
    long numberOfRowsInSection(UITableView&, long section) override { return counts[section]; }
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& table, const NSIndexPath& path) override {
        ++cellRequests;
        auto cell =
            std::static_pointer_cast<CountedCell>(table.dequeueReusableCellWithIdentifier("row", path));
        cell->row = path.item;
        return cell;
    }
    std::optional<CGFloat> heightForRowAt(UITableView&, const NSIndexPath& path) override {
        if (auto found = heights.find(path); found != heights.end()) {
            return found->second;
        }
        return std::nullopt;
    }
    std::optional<CGFloat> heightForHeaderInSection(UITableView&, long) override { return headerHeight; }
    std::optional<CGFloat> heightForFooterInSection(UITableView&, long) override { return footerHeight; }
    std::shared_ptr<UIView> viewForHeaderInSection(UITableView&, long section) override {
        auto view = std::make_shared<UIView>();
        view->setTag(section);
        return view;
    }
    void didSelectRowAt(UITableView&, const NSIndexPath& path) override { selections.push_back(path); }

    std::vector<long> counts{10000};
    std::map<NSIndexPath, CGFloat> heights;
    std::optional<CGFloat> headerHeight;
    std::optional<CGFloat> footerHeight;
    int cellRequests = 0;
    std::vector<NSIndexPath> selections;
};

class TableViews : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        gCellsMade = 0;
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
        window->makeKeyAndVisible();
        rows = std::make_shared<Rows>();
    }

    std::shared_ptr<UITableView> makeTable(UITableViewStyle style = UITableViewStyle::plain) {
        auto table = std::make_shared<UITableView>(CGRectMake(0, 0, 320, 480), style);
        table->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
        table->registerClass<CountedCell>("row");
        table->setDataSource(rows);
        table->setDelegate(rows);
        window->addSubview(table);
        window->layoutIfNeeded();
        return table;
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<Rows> rows;
};

} // namespace

TEST_F(TableViews, TenThousandRowsKeepOnlyAScreenfulOfCellsFromTopToBottom) {
    auto table = makeTable();
    EXPECT_EQ(table->contentSize().height, 10000 * 44);
    const std::size_t onScreen = table->visibleCells().size();
    EXPECT_EQ(onScreen, 11u) << "480 points of 44-point rows";
    std::size_t mostAlive = 0;
    for (double y = 0; y <= table->verticalOffsetRange().max; y += 37) {
        table->setContentOffset({0, y});
        table->layoutIfNeeded();
        mostAlive = std::max(mostAlive, table->liveCellCount());
        ASSERT_LE(static_cast<std::size_t>(gCellsAlive), onScreen + 2);
    }
    table->setContentOffset({0, table->verticalOffsetRange().max});
    EXPECT_LE(mostAlive, onScreen + 2);
    EXPECT_LE(gCellsMade, static_cast<int>(onScreen) + 2) << "cells are reused, not made per row";
    auto paths = table->indexPathsForVisibleRows();
    ASSERT_FALSE(paths.empty());
    EXPECT_EQ(paths.back(), (NSIndexPath{0, 9999}));
    auto last = std::static_pointer_cast<CountedCell>(table->cellForRowAtIndexPath({0, 9999}));
    EXPECT_EQ(last->row, 9999);
    EXPECT_GT(last->reuses, 0) << "a reused cell was prepared for reuse";
    EXPECT_EQ(last->frame(), CGRectMake(0, 9999 * 44, 320, 44));
}

TEST_F(TableViews, OnlyRowsInSightAreAskedForAndReloadingAsksAgain) {
    auto table = makeTable();
    EXPECT_EQ(rows->cellRequests, 11);
    rows->counts = {3};
    table->reloadData();
    table->layoutIfNeeded();
    EXPECT_EQ(table->numberOfRowsInSection(0), 3);
    EXPECT_EQ(table->visibleCells().size(), 3u);
    EXPECT_EQ(rows->cellRequests, 14);

    table->reloadRowsAtIndexPaths({{0, 1}}, UITableViewRowAnimation::none);
    table->layoutIfNeeded();
    EXPECT_EQ(rows->cellRequests, 15) << "only the reloaded row is asked for again";
}

TEST_F(TableViews, HeightsComeFromTheDelegateElseTheTable) {
    rows->counts = {5};
    rows->heights[{0, 1}] = 100;
    auto table = makeTable();
    table->setRowHeight(60);
    table->layoutIfNeeded();
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}), CGRectMake(0, 0, 320, 60));
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 1}), CGRectMake(0, 60, 320, 100));
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 2}), CGRectMake(0, 160, 320, 60));
    EXPECT_EQ(table->contentSize().height, 340);
    EXPECT_EQ(table->indexPathForRowAtPoint({10, 170}), (NSIndexPath{0, 2}));
}

TEST_F(TableViews, SectionsPlaceHeadersAndFootersAndThePlainStylePinsTheHeader) {
    rows->counts = {10, 10};
    rows->headerHeight = 30;
    rows->footerHeight = 12;
    auto table = makeTable();
    EXPECT_EQ(table->rectForHeaderInSection(0), CGRectMake(0, 0, 320, 30));
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}).origin.y, 30);
    EXPECT_EQ(table->rectForFooterInSection(0), CGRectMake(0, 30 + 440, 320, 12));
    EXPECT_EQ(table->rectForHeaderInSection(1).origin.y, 482);
    EXPECT_EQ(table->rectForSection(1), CGRectMake(0, 482, 320, 482));

    table->setContentOffset({0, 200});
    table->layoutIfNeeded();
    auto header = table->headerViewForSection(0);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->frame().origin.y, 200) << "pinned at the top of the visible area";
    table->setContentOffset({0, 460});
    table->layoutIfNeeded();
    EXPECT_EQ(header->frame().origin.y, 440) << "pushed up by the end of its section";
    EXPECT_EQ(table->headerViewForSection(1)->frame().origin.y, 482);
}

TEST_F(TableViews, GroupedHeadersScrollAway) {
    rows->counts = {10, 10};
    rows->headerHeight = 30;
    auto table = makeTable(UITableViewStyle::grouped);
    table->setContentOffset({0, 200});
    table->layoutIfNeeded();
    EXPECT_FALSE(table->headerViewForSection(0)) << "out of sight";
    EXPECT_EQ(table->rectForFooterInSection(0).size.height, 18) << "grouped tables have footers by default";
}

TEST_F(TableViews, TappingARowSelectsItButDraggingDoesNot) {
    rows->counts = {20};
    auto table = makeTable();
    TouchScript touches(*window);
    touches.tap({100, 100});
    ASSERT_EQ(rows->selections.size(), 1u);
    EXPECT_EQ(rows->selections[0], (NSIndexPath{0, 2}));
    EXPECT_TRUE(table->cellForRowAtIndexPath({0, 2})->isSelected());
    EXPECT_EQ(table->indexPathForSelectedRow(), (NSIndexPath{0, 2}));

    touches.drag({100, 300}, {0, -100}, 0.3, 0.2);
    EXPECT_EQ(rows->selections.size(), 1u);
    for (const auto& cell : table->visibleCells()) {
        EXPECT_FALSE(cell->isHighlighted());
    }

    table->deselectRowAtIndexPath({0, 2}, false);
    EXPECT_FALSE(table->indexPathForSelectedRow());
}

TEST_F(TableViews, UnregisteredIdentifiersGiveNothingOrFail) {
    auto table = makeTable();
    EXPECT_FALSE(table->dequeueReusableCellWithIdentifier("missing"));
    EXPECT_THROW(table->dequeueReusableCellWithIdentifier("missing", {0, 0}), std::logic_error);
    EXPECT_TRUE(table->dequeueReusableCellWithIdentifier("row"));
}

TEST_F(TableViews, ScrollingToARowPutsItWhereAsked) {
    auto table = makeTable();
    table->scrollToRowAtIndexPath({0, 100}, UITableViewScrollPosition::top, false);
    EXPECT_EQ(table->contentOffset().y, 4400);
    table->scrollToRowAtIndexPath({0, 100}, UITableViewScrollPosition::middle, false);
    EXPECT_EQ(table->contentOffset().y, 4400 + 22 - 240);
    table->scrollToRowAtIndexPath({0, 100}, UITableViewScrollPosition::bottom, false);
    EXPECT_EQ(table->contentOffset().y, 4444 - 480);
    table->scrollToRowAtIndexPath({0, 0}, UITableViewScrollPosition::bottom, false);
    EXPECT_EQ(table->contentOffset().y, 0) << "never before the start";
    EXPECT_THROW(table->scrollToRowAtIndexPath({0, 10000}, UITableViewScrollPosition::top, false),
                 std::out_of_range);
}

namespace {

// A cell whose height is its wrapping label's, by constraints.
class NoteCell : public UITableViewCell {
  public:
    NoteCell() {
        label = std::make_shared<UILabel>();
        label->setNumberOfLines(0);
        label->setFont(UIFont::systemFontOfSize(16));
        contentView()->addSubview(label);
        label->snp.makeConstraints([&](ConstraintMaker& make) { make.edges.equalToSuperview().inset(10); });
    }
    std::shared_ptr<UILabel> label;
};

class Notes : public UITableViewDataSource {
  public:
    long numberOfRowsInSection(UITableView&, long) override { return static_cast<long>(texts.size()); }
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& table, const NSIndexPath& path) override {
        auto cell = std::static_pointer_cast<NoteCell>(table.dequeueReusableCellWithIdentifier("note", path));
        cell->label->setText(texts[path.item]);
        return cell;
    }
    std::vector<std::string> texts;
};

} // namespace

TEST_F(TableViews, AutomaticHeightsFollowTheCellsConstraints) {
    auto notes = std::make_shared<Notes>();
    notes->texts = {"短", std::string(40 * 3, 'x') + " " + std::string(30, 'y'), "又一行"};
    for (int i = 0; i < 40; ++i) {
        notes->texts[1] += " 很长的一段文字";
    }
    auto table = std::make_shared<UITableView>(CGRectMake(0, 0, 320, 480));
    table->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    table->registerClass<NoteCell>("note");
    table->setRowHeight(UITableViewAutomaticDimension);
    table->setDataSource(notes);
    window->addSubview(table);
    window->layoutIfNeeded();
    const CGFloat shortRow = table->rectForRowAtIndexPath({0, 0}).size.height;
    const CGFloat longRow = table->rectForRowAtIndexPath({0, 1}).size.height;
    const CGFloat oneLine = UIFont::systemFontOfSize(16).lineHeight();
    EXPECT_NEAR(shortRow, 20 + oneLine, 2);
    EXPECT_GT(longRow, 20 + 3 * oneLine);
    auto cell = std::static_pointer_cast<NoteCell>(table->cellForRowAtIndexPath({0, 1}));
    ASSERT_TRUE(cell);
    window->layoutIfNeeded();
    EXPECT_EQ(cell->frame().size.height, longRow);
    EXPECT_NEAR(cell->label->frame().size.height, longRow - 20, 1) << "the label fills the measured row";
}

namespace {

class Deletable : public Rows {
  public:
    bool canEditRowAt(UITableView&, const NSIndexPath& path) override { return path.item != 0; }
    void commit(UITableView& table, UITableViewCellEditingStyle style, const NSIndexPath& path) override {
        EXPECT_EQ(style, UITableViewCellEditingStyle::remove);
        deleted.push_back(path);
        counts[0] -= 1;
        table.reloadData();
    }
    std::vector<NSIndexPath> deleted;
};

} // namespace

TEST_F(TableViews, SwipingARowLeftOffersDeleteAndATapOnItCommits) {
    auto deletable = std::make_shared<Deletable>();
    deletable->counts = {20};
    rows = deletable;
    auto table = makeTable();
    TouchScript touches(*window);
    window->handleTouch(UITouchPhase::began, {250, 110}, RunLoop::main().now());
    for (int i = 1; i <= 10; ++i) {
        RunLoop::main().advance(0.02);
        window->handleTouch(UITouchPhase::moved, {250.0 - 12 * i, 110}, RunLoop::main().now());
        printf("move %d tx %f pan %d\n", i, table->cellForRowAtIndexPath({0, 2})->transform().tx,
               (int)table->panGestureRecognizer()->state());
    }
    window->handleTouch(UITouchPhase::ended, {130, 110}, RunLoop::main().now());
    RunLoop::main().advance(0.5);
    ASSERT_EQ(table->indexPathForSwipedRow(), (NSIndexPath{0, 2}));
    auto cell = table->cellForRowAtIndexPath({0, 2});
    EXPECT_LT(cell->transform().tx, -60) << "the row slid aside";
    EXPECT_TRUE(deletable->selections.empty()) << "a swipe is not a tap";

    touches.tap({300, 110});
    ASSERT_EQ(deletable->deleted.size(), 1u);
    EXPECT_EQ(deletable->deleted[0], (NSIndexPath{0, 2}));
    EXPECT_FALSE(table->indexPathForSwipedRow());
    EXPECT_EQ(table->numberOfRowsInSection(0), 19);

    touches.drag({250, 20}, {-120, 0}, 0.3, 0.1);
    EXPECT_FALSE(table->indexPathForSwipedRow()) << "the first row cannot be edited";

    window->handleTouch(UITouchPhase::began, {250, 200}, RunLoop::main().now());
    for (int i = 1; i <= 18; ++i) {
        RunLoop::main().advance(1.0 / 60);
        window->handleTouch(UITouchPhase::moved, {250.0 - 6.67 * i, 200}, RunLoop::main().now());
        auto c = table->cellForRowAtIndexPath({0, 4});
        printf("move %d tx %f pan %d cell %p\n", i, c ? c->transform().tx : 999.0,
               (int)table->panGestureRecognizer()->state(), (void*)c.get());
    }
    window->handleTouch(UITouchPhase::ended, {130, 200}, RunLoop::main().now());
    ASSERT_TRUE(table->indexPathForSwipedRow());
    touches.tap({100, 300});
    EXPECT_FALSE(table->indexPathForSwipedRow()) << "a tap elsewhere closes it";
    EXPECT_TRUE(deletable->selections.empty()) << "and selects nothing";
    EXPECT_EQ(deletable->deleted.size(), 1u);
}

TEST_F(TableViews, ATapThatCatchesAFlingStopsItWithoutSelecting) {
    auto table = makeTable();
    TouchScript touches(*window);
    touches.drag({160, 400}, {0, -300}, 0.15);
    RunLoop::main().advance(0.1);
    ASSERT_TRUE(table->isDecelerating());
    touches.tap({160, 200});
    EXPECT_FALSE(table->isDecelerating());
    EXPECT_TRUE(rows->selections.empty());
    touches.tap({160, 200});
    EXPECT_EQ(rows->selections.size(), 1u) << "the next tap selects";
}
