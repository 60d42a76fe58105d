#include "platform/JXSegmentedView/JXSegmentedView.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/platform/UIKit/Controls/TouchScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class Page : public JXSegmentedListContainerViewListDelegate {
  public:
    explicit Page(long index) : index(index), view(std::make_shared<UIView>()) {}
    std::shared_ptr<UIView> listView() override { return view; }
    void listDidAppear() override { ++appearances; }
    void listDidDisappear() override { ++disappearances; }
    long index;
    std::shared_ptr<UIView> view;
    int appearances = 0;
    int disappearances = 0;
};

// The home page's part: the tab titles and the pages.
class Home : public JXSegmentedListContainerViewDataSource, public JXSegmentedViewDelegate {
  public:
    long numberOfLists(JXSegmentedListContainerView&) override {
        return static_cast<long>(titles->titles.size());
    }
    std::shared_ptr<JXSegmentedListContainerViewListDelegate> initListAt(JXSegmentedListContainerView&,
                                                                         long index) override {
        made.push_back(index);
        auto page = std::make_shared<Page>(index);
        pages[index] = page;
        return page;
    }
    void didSelectedItemAt(JXSegmentedView&, long index) override { selected.push_back(index); }
    void didScrollSelectedItemAt(JXSegmentedView&, long index) override { swipedTo.push_back(index); }

    std::shared_ptr<JXSegmentedTitleDataSource> titles = std::make_shared<JXSegmentedTitleDataSource>();
    std::vector<long> made;
    std::map<long, std::shared_ptr<Page>> pages;
    std::vector<long> selected;
    std::vector<long> swipedTo;
};

class SegmentedViews : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 375, 667));
        window->makeKeyAndVisible();
        home = std::make_shared<Home>();
        auto& titles = *home->titles;
        titles.titles = {"推荐", "电影", "剧集", "综艺", "动漫"};
        titles.isTitleColorGradientEnabled = true;
        titles.titleSelectedColor = UIColor::whiteColor();
        titles.titleNormalColor = UIColor::colorWithRed(0xBE / 255.0, 0xBD / 255.0, 0xC2 / 255.0, 1);
        titles.titleNormalFont = UIFont::systemFontOfSize(15, UIFontWeightMedium);
        titles.titleSelectedFont = UIFont::systemFontOfSize(20, UIFontWeightMedium);
        titles.itemSpacing = 26;
        indicator = std::make_shared<JXSegmentedIndicatorBackgroundView>();
        indicator->indicatorPosition = JXSegmentedIndicatorPosition::bottom;
        indicator->indicatorColor = UIColor::redColor();
        indicator->indicatorWidth = 38;
        indicator->indicatorHeight = 3;

        segmented = std::make_shared<JXSegmentedView>(CGRectMake(0, 100, 375, 44));
        container =
            std::make_shared<JXSegmentedListContainerView>(home, JXSegmentedListContainerType::scrollView);
        container->setFrame(CGRectMake(0, 144, 375, 523));
        window->addSubview(segmented);
        window->addSubview(container);
        segmented->setDataSource(home->titles);
        segmented->setDelegate(home);
        segmented->setIndicators({indicator});
        segmented->setListContainer(container);
        segmented->reloadData();
        window->layoutIfNeeded();
    }

    UIColor colorOf(long index) const {
        return std::static_pointer_cast<UILabel>(segmented->itemViewAt(index))->textColor();
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<Home> home;
    std::shared_ptr<JXSegmentedIndicatorBackgroundView> indicator;
    std::shared_ptr<JXSegmentedView> segmented;
    std::shared_ptr<JXSegmentedListContainerView> container;
};

} // namespace

TEST_F(SegmentedViews, TitlesAreSpacedAndTheSelectedOneIsMarked) {
    ASSERT_EQ(segmented->numberOfItems(), 5);
    auto gap = [&](long i) {
        return segmented->frameForItemAt(i).minX() - segmented->frameForItemAt(i - 1).maxX();
    };
    const CGFloat spread = gap(1);
    EXPECT_GT(spread, 26) << "short titles spread out over the strip";
    for (long i = 2; i < 5; ++i) {
        EXPECT_NEAR(gap(i), spread, 0.01);
    }
    EXPECT_NEAR(segmented->frameForItemAt(0).minX(), spread, 0.01);
    EXPECT_EQ(colorOf(0), UIColor::whiteColor());
    EXPECT_EQ(colorOf(1), home->titles->titleNormalColor);
    EXPECT_EQ(std::static_pointer_cast<UILabel>(segmented->itemViewAt(0))->font().pointSize(), 20);
    const CGRect first = segmented->frameForItemAt(0);
    EXPECT_EQ(indicator->frame().size, CGSizeMake(38, 3));
    EXPECT_NEAR(indicator->frame().midX(), first.midX(), 0.01);
    EXPECT_EQ(indicator->frame().maxY(), 44) << "at the bottom of the strip";
}

TEST_F(SegmentedViews, WithoutAveragingTheSpacingIsExact) {
    home->titles->isItemSpacingAverageEnabled = false;
    segmented->reloadData();
    window->layoutIfNeeded();
    for (long i = 1; i < 5; ++i) {
        EXPECT_NEAR(segmented->frameForItemAt(i).minX() - segmented->frameForItemAt(i - 1).maxX(), 26, 0.01);
    }
    EXPECT_NEAR(segmented->frameForItemAt(0).minX(), 26, 0.01);
}

TEST_F(SegmentedViews, FewTitlesSpreadOutOverTheWidth) {
    home->titles->titles = {"密码登陆"};
    home->titles->itemSpacing = 34;
    segmented->reloadData();
    window->layoutIfNeeded();
    const CGRect only = segmented->frameForItemAt(0);
    EXPECT_NEAR(only.midX(), 375 / 2.0, 0.5);
}

TEST_F(SegmentedViews, PagesAreMadeWhenFirstNeeded) {
    EXPECT_EQ(home->made, std::vector<long>{0}) << "only the shown page";
    EXPECT_EQ(home->pages[0]->view->frame(), CGRectMake(0, 0, 375, 523));

    const CGRect third = segmented->frameForItemAt(2);
    TouchScript(*window).tap({third.midX(), 120});
    EXPECT_EQ(segmented->selectedIndex(), 2);
    EXPECT_EQ(home->made, (std::vector<long>{0, 2})) << "the page in between was never needed";
    EXPECT_EQ(container->scrollView()->contentOffset().x, 750);
    EXPECT_EQ(home->selected, std::vector<long>{2});
    EXPECT_EQ(home->pages[2]->appearances, 1);
    EXPECT_EQ(home->pages[0]->disappearances, 1);
    EXPECT_NEAR(indicator->frame().midX(), third.midX(), 0.01);
}

TEST_F(SegmentedViews, SwipingThePagesMovesTheMarkerAndSelectsWhereItRests) {
    window->handleTouch(UITouchPhase::began, {300, 400}, RunLoop::main().now());
    for (int step = 1; step <= 20; ++step) {
        RunLoop::main().advance(1.0 / 60);
        window->handleTouch(UITouchPhase::moved, {300.0 - step * 10, 400}, RunLoop::main().now());
    }
    EXPECT_EQ(home->made, (std::vector<long>{0, 1})) << "the next page came into sight";
    const double share = container->scrollView()->contentOffset().x / 375;
    EXPECT_GT(share, 0.3);
    EXPECT_LT(share, 0.7);
    const CGFloat midway =
        segmented->frameForItemAt(0).midX() +
        (segmented->frameForItemAt(1).midX() - segmented->frameForItemAt(0).midX()) * share;
    EXPECT_NEAR(indicator->frame().midX(), midway, 0.5);
    EXPECT_NE(colorOf(1), home->titles->titleNormalColor)
        << "the next title is on its way to the selected colour";
    EXPECT_NE(colorOf(1), UIColor::whiteColor());

    for (int i = 0; i < 12; ++i) {
        RunLoop::main().advance(1.0 / 60);
        window->handleTouch(UITouchPhase::moved, {100, 400}, RunLoop::main().now());
    }
    window->handleTouch(UITouchPhase::ended, {100, 400}, RunLoop::main().now());
    RunLoop::main().advance(2);
    EXPECT_EQ(container->scrollView()->contentOffset().x, 375);
    EXPECT_EQ(segmented->selectedIndex(), 1);
    EXPECT_EQ(home->swipedTo, std::vector<long>{1});
    EXPECT_EQ(colorOf(1), UIColor::whiteColor());
    EXPECT_EQ(container->currentIndex(), 1);
}

TEST_F(SegmentedViews, WithScrollingOffThePagesStayAndReloadingRebuildsThem) {
    container->scrollView()->setScrollEnabled(false);
    TouchScript(*window).drag({300, 400}, {-250, 0}, 0.3);
    RunLoop::main().advance(1);
    EXPECT_EQ(container->scrollView()->contentOffset().x, 0);
    auto firstPage = home->pages[0];
    home->titles->titles = {"注册"};
    segmented->reloadData();
    window->layoutIfNeeded();
    EXPECT_EQ(home->made, (std::vector<long>{0, 0})) << "the page was made anew";
    EXPECT_NE(home->pages[0], firstPage);
    EXPECT_FALSE(firstPage->view->superview());
}
