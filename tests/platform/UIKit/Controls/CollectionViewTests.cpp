#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"
#include "tests/platform/UIKit/Controls/TouchScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

int gPostersAlive = 0;

class PosterCell : public UICollectionViewCell {
  public:
    PosterCell() { ++gPostersAlive; }
    ~PosterCell() override { --gPostersAlive; }
    long item = -1;
};

class Header : public UICollectionReusableView {};

class Grid : public UICollectionViewDataSource, public UICollectionViewDelegateFlowLayout {
  public:
    long numberOfSections(UICollectionView&) override { return static_cast<long>(counts.size()); }
    long numberOfItemsInSection(UICollectionView&, long section) override { return counts[section]; }
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& view,
                                                        const NSIndexPath& path) override {
        auto cell =
            std::static_pointer_cast<PosterCell>(view.dequeueReusableCellWithReuseIdentifier("poster", path));
        cell->item = path.item;
        return cell;
    }
    std::shared_ptr<UICollectionReusableView>
    viewForSupplementaryElementOfKind(UICollectionView& view, const std::string& kind,
                                      const NSIndexPath& path) override {
        if (keptHeader && kind == UICollectionElementKindSectionHeader) {
            return keptHeader;
        }
        auto header = view.dequeueReusableSupplementaryViewOfKind(kind, "header", path);
        header->setTag(path.section);
        return header;
    }
    std::optional<CGSize> sizeForItemAt(UICollectionView&, UICollectionViewLayout&,
                                        const NSIndexPath& path) override {
        if (auto found = sizes.find(path); found != sizes.end()) {
            return found->second;
        }
        return std::nullopt;
    }
    std::optional<CGSize> referenceSizeForHeaderInSection(UICollectionView&, UICollectionViewLayout&,
                                                          long section) override {
        return headerSize;
    }
    void didSelectItemAt(UICollectionView&, const NSIndexPath& path) override { selected.push_back(path); }
    void willDisplay(UICollectionView&, UICollectionViewCell&, const NSIndexPath& path) override {
        displayed.push_back(path);
    }

    std::vector<long> counts{10000};
    std::map<NSIndexPath, CGSize> sizes;
    std::optional<CGSize> headerSize;
    std::shared_ptr<UICollectionReusableView> keptHeader;
    std::vector<NSIndexPath> selected;
    std::vector<NSIndexPath> displayed;
};

class CollectionViews : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 375, 667));
        window->makeKeyAndVisible();
        grid = std::make_shared<Grid>();
        layout = std::make_shared<UICollectionViewFlowLayout>();
    }

    std::shared_ptr<UICollectionView> makeCollection() {
        auto view = std::make_shared<UICollectionView>(window->bounds(), layout);
        view->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
        view->registerClass<PosterCell>("poster");
        view->registerClassForSupplementaryViewOfKind<Header>(UICollectionElementKindSectionHeader, "header");
        view->registerClassForSupplementaryViewOfKind<Header>(UICollectionElementKindSectionFooter, "header");
        view->setDataSource(grid);
        view->setDelegate(grid);
        window->addSubview(view);
        window->layoutIfNeeded();
        return view;
    }

    // The poster grid of the category pages: three posters across, 16:9 upright.
    void usePosterGrid() {
        const double width = (375 - 50) / 3.0;
        layout->setItemSize({width, width * 16 / 9});
        layout->setMinimumLineSpacing(10);
        layout->setMinimumInteritemSpacing(9);
        layout->setSectionInset({10, 15, 0, 15});
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<Grid> grid;
    std::shared_ptr<UICollectionViewFlowLayout> layout;
};

} // namespace

TEST_F(CollectionViews, TenThousandPostersKeepOnlyAScreenfulOfCellsFromTopToBottom) {
    usePosterGrid();
    auto view = makeCollection();
    const std::size_t onScreen = view->visibleCells().size();
    EXPECT_EQ(onScreen, 12u) << "four rows of three in 667 points";
    const int alive = gPostersAlive;
    for (double y = 0; y <= view->verticalOffsetRange().max; y += 53) {
        view->setContentOffset({0, y});
        view->layoutIfNeeded();
        ASSERT_LE(view->liveCellCount(), onScreen + 6) << "at offset " << y;
    }
    EXPECT_LE(gPostersAlive - alive, 6);
    view->setContentOffset({0, view->verticalOffsetRange().max});
    auto paths = view->indexPathsForVisibleItems();
    EXPECT_EQ(paths.back(), (NSIndexPath{0, 9999}));
    auto last = std::static_pointer_cast<PosterCell>(view->cellForItemAtIndexPath({0, 9999}));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->item, 9999);
    const CGRect expected = view->layoutAttributesForItemAtIndexPath({0, 9999})->frame;
    EXPECT_NEAR(last->frame().origin.x, expected.origin.x, 1e-9);
    EXPECT_NEAR(last->frame().origin.y, expected.origin.y, 1e-6);
}

TEST_F(CollectionViews, FlowLayoutPlacesLinesHeadersAndFootersWhereItSays) {
    grid->counts = {7, 2};
    layout->setItemSize({100, 50});
    layout->setMinimumLineSpacing(10);
    layout->setMinimumInteritemSpacing(10);
    layout->setSectionInset({5, 20, 15, 20});
    layout->setHeaderReferenceSize({0, 40});
    layout->setFooterReferenceSize({0, 25});
    auto view = makeCollection();
    // 335 points of line: three items of 100 fit; a full line spreads them to both edges.
    EXPECT_EQ(view->layoutAttributesForItemAtIndexPath({0, 0})->frame, CGRectMake(20, 45, 100, 50));
    EXPECT_EQ(view->layoutAttributesForItemAtIndexPath({0, 1})->frame, CGRectMake(137.5, 45, 100, 50));
    EXPECT_EQ(view->layoutAttributesForItemAtIndexPath({0, 2})->frame, CGRectMake(255, 45, 100, 50));
    EXPECT_EQ(view->layoutAttributesForItemAtIndexPath({0, 3})->frame, CGRectMake(20, 105, 100, 50));
    // The last line keeps the minimum spacing.
    EXPECT_EQ(view->layoutAttributesForItemAtIndexPath({0, 6})->frame, CGRectMake(20, 165, 100, 50));
    auto header0 = view->supplementaryViewForElementKind(UICollectionElementKindSectionHeader, {0, 0});
    ASSERT_TRUE(header0);
    EXPECT_EQ(header0->frame(), CGRectMake(0, 0, 375, 40));
    auto footer0 = view->supplementaryViewForElementKind(UICollectionElementKindSectionFooter, {0, 0});
    ASSERT_TRUE(footer0);
    EXPECT_EQ(footer0->frame(), CGRectMake(0, 230, 375, 25));
    auto header1 = view->supplementaryViewForElementKind(UICollectionElementKindSectionHeader, {1, 0});
    ASSERT_TRUE(header1);
    EXPECT_EQ(header1->frame(), CGRectMake(0, 255, 375, 40));
    EXPECT_EQ(header1->tag(), 1);
    EXPECT_EQ(view->layoutAttributesForItemAtIndexPath({1, 0})->frame, CGRectMake(20, 300, 100, 50));
    EXPECT_EQ(view->contentSize(), CGSizeMake(375, 300 + 50 + 15 + 25));
}

TEST_F(CollectionViews, ItemSizesAndHeaderSizesFromTheDelegateWinAndItemsCentreInTheirLine) {
    grid->counts = {3};
    grid->sizes[{0, 1}] = {100, 80};
    grid->headerSize = CGSizeMake(0, 60);
    layout->setItemSize({100, 40});
    auto view = makeCollection();
    EXPECT_EQ(view->layoutAttributesForItemAtIndexPath({0, 0})->frame.origin.y, 60 + 20)
        << "centred in an 80-point line";
    EXPECT_EQ(view->layoutAttributesForItemAtIndexPath({0, 1})->frame, CGRectMake(110, 60, 100, 80))
        << "a single, last line keeps the minimum spacing";
    EXPECT_EQ(view->supplementaryViewForElementKind(UICollectionElementKindSectionHeader, {0, 0})
                  ->frame()
                  .size.height,
              60);
}

TEST_F(CollectionViews, HorizontalLayoutsFillColumnsAndPageSideways) {
    grid->counts = {12};
    layout->setScrollDirection(UICollectionViewScrollDirection::horizontal);
    layout->setItemSize({375, 667});
    layout->setMinimumLineSpacing(0);
    auto view = makeCollection();
    view->setPagingEnabled(true);
    EXPECT_EQ(view->contentSize(), CGSizeMake(12 * 375, 667));
    EXPECT_EQ(view->layoutAttributesForItemAtIndexPath({0, 2})->frame, CGRectMake(750, 0, 375, 667));
    TouchScript(*window).drag({300, 300}, {-80, 0}, 0.05);
    RunLoop::main().advance(2);
    EXPECT_EQ(view->contentOffset().x, 375) << "a quick flick turns one page";
    EXPECT_EQ(view->indexPathsForVisibleItems(), std::vector<NSIndexPath>{(NSIndexPath{0, 1})});
}

TEST_F(CollectionViews, ScrollingToAnItemCentresItAndVisibleItemsFollow) {
    usePosterGrid();
    auto view = makeCollection();
    view->scrollToItemAtIndexPath({0, 3000}, UICollectionViewScrollPositionCenteredVertically, false);
    const CGRect frame = view->layoutAttributesForItemAtIndexPath({0, 3000})->frame;
    EXPECT_DOUBLE_EQ(view->contentOffset().y + 667 / 2.0, frame.midY());
    const auto visible = view->indexPathsForVisibleItems();
    EXPECT_NE(std::find(visible.begin(), visible.end(), NSIndexPath{0, 3000}), visible.end());
    EXPECT_EQ(view->indexPathForItemAtPoint({frame.midX(), frame.midY()}), (NSIndexPath{0, 3000}));
    EXPECT_THROW(view->scrollToItemAtIndexPath({0, 10000}, UICollectionViewScrollPositionTop, false),
                 std::out_of_range);
}

TEST_F(CollectionViews, ADataSourceMayHandOutTheSameHeaderAgain) {
    grid->counts = {40};
    grid->keptHeader = std::make_shared<Header>();
    layout->setHeaderReferenceSize({0, 100});
    auto view = makeCollection();
    EXPECT_EQ(view->supplementaryViewForElementKind(UICollectionElementKindSectionHeader, {0, 0}),
              grid->keptHeader);
    view->setContentOffset({0, 600});
    view->layoutIfNeeded();
    EXPECT_FALSE(grid->keptHeader->superview());
    view->setContentOffset({0, 0});
    view->layoutIfNeeded();
    EXPECT_EQ(grid->keptHeader->superview(), view);
    EXPECT_EQ(grid->keptHeader->frame(), CGRectMake(0, 0, 375, 100));
    view->reloadData();
    view->layoutIfNeeded();
    EXPECT_EQ(view->supplementaryViewForElementKind(UICollectionElementKindSectionHeader, {0, 0}),
              grid->keptHeader);
}

TEST_F(CollectionViews, TappingAnItemSelectsIt) {
    usePosterGrid();
    auto view = makeCollection();
    const CGRect frame = view->layoutAttributesForItemAtIndexPath({0, 4})->frame;
    TouchScript(*window).tap({frame.midX(), frame.midY()});
    ASSERT_EQ(grid->selected.size(), 1u);
    EXPECT_EQ(grid->selected[0], (NSIndexPath{0, 4}));
    EXPECT_TRUE(view->cellForItemAtIndexPath({0, 4})->isSelected());
}

TEST_F(CollectionViews, UnregisteredIdentifiersFail) {
    auto view = makeCollection();
    EXPECT_THROW(view->dequeueReusableCellWithReuseIdentifier("nothing", {0, 0}), std::logic_error);
    EXPECT_THROW(view->dequeueReusableSupplementaryViewOfKind("other", "header", {0, 0}), std::logic_error);
    EXPECT_TRUE(view->hasRegisteredCell("poster"));
    EXPECT_FALSE(view->hasRegisteredCell("nothing"));
}

TEST_F(CollectionViews, InsertedItemsGetCellsWhileTheItemsShownKeepTheirs) {
    grid->counts = {3};
    usePosterGrid();
    auto view = makeCollection();
    const auto first = view->cellForItemAtIndexPath({0, 0});
    const auto third = view->cellForItemAtIndexPath({0, 2});
    ASSERT_TRUE(first && third);
    view->selectItemAtIndexPath(NSIndexPath{0, 2}, false, UICollectionViewScrollPositionNone);

    // Appended at the end: the three shown stay as they are, only the new ones are asked for.
    grid->displayed.clear();
    grid->counts = {6};
    view->insertItemsAtIndexPaths({{0, 3}, {0, 4}, {0, 5}});
    view->layoutIfNeeded();
    EXPECT_EQ(grid->displayed, (std::vector<NSIndexPath>{{0, 3}, {0, 4}, {0, 5}}));
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 0}), first);
    EXPECT_EQ(view->numberOfItemsInSection(0), 6);

    // Inserted in front: the cells shown move along with their items and keep their selection.
    grid->displayed.clear();
    grid->counts = {8};
    view->insertItemsAtIndexPaths({{0, 3}, {0, 0}});
    view->layoutIfNeeded();
    EXPECT_EQ(grid->displayed, (std::vector<NSIndexPath>{{0, 0}, {0, 3}}));
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 1}), first);
    EXPECT_EQ(std::static_pointer_cast<PosterCell>(view->cellForItemAtIndexPath({0, 3}))->item, 3)
        << "a new cell for the new item";
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 4}), third);
    const CGRect placed = view->layoutAttributesForItemAtIndexPath({0, 4})->frame;
    EXPECT_NEAR(third->frame().origin.x, placed.origin.x, 1e-9);
    EXPECT_NEAR(third->frame().origin.y, placed.origin.y, 1e-9);
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<NSIndexPath>{{0, 4}}));
    EXPECT_TRUE(third->isSelected());

    // Counts that do not match the insertion, and paths outside the list, are refused.
    grid->counts = {9};
    EXPECT_THROW(view->insertItemsAtIndexPaths({{0, 8}, {0, 9}}), std::logic_error);
    EXPECT_THROW(view->insertItemsAtIndexPaths({{0, 9}}), std::out_of_range);
    EXPECT_THROW(view->insertItemsAtIndexPaths({{1, 0}}), std::out_of_range);
    EXPECT_EQ(view->numberOfItemsInSection(0), 8) << "a refused insertion changes nothing";
    view->insertItemsAtIndexPaths({{0, 8}});
    EXPECT_EQ(view->numberOfItemsInSection(0), 9);

    // Before the first layout the reload to come reads the counts itself.
    auto fresh = std::make_shared<UICollectionView>(window->bounds(), layout);
    fresh->registerClass<PosterCell>("poster");
    fresh->setDataSource(grid);
    grid->counts = {10};
    fresh->insertItemsAtIndexPaths({{0, 9}});
    EXPECT_EQ(fresh->numberOfItemsInSection(0), 10);
}
