#include "platform/SJVideoPlayer/SJEdgeControlButtonItemAdapter.h"
#include "tests/support/TestSupport.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<SJEdgeControlButtonItem> square(SJEdgeControlButtonItemTag tag) {
    return SJEdgeControlButtonItem::initWithCustomView(std::make_shared<UIView>(CGRect{{0, 0}, {30, 30}}),
                                                       tag);
}

class EdgeControlItems : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>();
        window->makeKeyAndVisible();
        bar = std::make_shared<SJEdgeControlButtonItemAdapter>(SJAdapterItemsLayout::Horizontal, 49);
        bar->setFrame({{0, 100}, {300, 49}});
        window->addSubview(bar);
    }

    std::vector<SJEdgeControlButtonItemTag> tags() const {
        std::vector<SJEdgeControlButtonItemTag> found;
        for (const auto& item : bar->items()) {
            found.push_back(item->tag());
        }
        return found;
    }

    CGFloat x(SJEdgeControlButtonItemTag tag) const {
        auto view = bar->viewForItemWithTag(tag);
        return view ? view->frame().origin.x : -1;
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<SJEdgeControlButtonItemAdapter> bar;
    testsupport::ui::UIDriver driver;
};

TEST_F(EdgeControlItems, AddsExchangesRemovesAndReloadsItemsByTag) {
    bar->addItemsFromArray({square(1), square(2)});
    bar->addItem(square(3));
    bar->reload();
    EXPECT_EQ(tags(), (std::vector<SJEdgeControlButtonItemTag>{1, 2, 3}));
    EXPECT_EQ(x(1), 8);
    EXPECT_EQ(x(2), 38);
    EXPECT_EQ(x(3), 68);

    bar->exchangeItemForTag(1, 3);
    bar->reload();
    EXPECT_EQ(tags(), (std::vector<SJEdgeControlButtonItemTag>{3, 2, 1}));
    EXPECT_EQ(x(3), 8);
    EXPECT_EQ(x(1), 68);
    bar->exchangeItemForTag(1, 99);
    EXPECT_EQ(tags(), (std::vector<SJEdgeControlButtonItemTag>{3, 2, 1}))
        << "an absent tag exchanges nothing";

    auto removed = bar->itemForTag(2);
    bar->removeItemForTag(2);
    bar->removeItemForTag(2);
    bar->reload();
    EXPECT_EQ(tags(), (std::vector<SJEdgeControlButtonItemTag>{3, 1}));
    EXPECT_EQ(removed->customView()->superview(), nullptr);
    EXPECT_EQ(x(1), 38);
    EXPECT_EQ(bar->indexOfItemForTag(2), std::nullopt);
    EXPECT_EQ(bar->itemForTag(2), nullptr);

    bar->insertItem(square(4), 0);
    bar->reload();
    EXPECT_EQ(tags(), (std::vector<SJEdgeControlButtonItemTag>{4, 3, 1}));
}

TEST_F(EdgeControlItems, LaysOutHiddenFillingAndSpacedItems) {
    auto first = square(1);
    auto filler = square(2);
    filler->setFill(true);
    auto last = square(3);
    last->setInsets(SJEdgeInsetsMake(12, 0));
    bar->addItemsFromArray({first, filler, last});
    bar->reload();
    // 300 wide with 8 at each end: 30, the filler, 12 before the last 30.
    EXPECT_EQ(bar->viewForItemWithTag(2)->frame(), (CGRect{{38, 9.5}, {212, 30}}));
    EXPECT_EQ(x(3), 262);
    EXPECT_EQ(bar->viewForItemWithTag(1)->frame().origin.y, 9.5) << "centred across the bar";

    // A hidden item leaves its room to the filler; changes show without a reload.
    first->setHidden(true);
    driver.runLoop();
    EXPECT_EQ(bar->viewForItemWithTag(1), nullptr);
    EXPECT_EQ(first->customView()->superview(), nullptr);
    EXPECT_EQ(x(2), 8);
    EXPECT_EQ(bar->viewForItemWithTag(2)->frame().size.width, 242);
    EXPECT_EQ(x(3), 262);

    last->setAlpha(0);
    driver.runLoop();
    EXPECT_EQ(last->customView()->alpha(), 0);
}

TEST_F(EdgeControlItems, ImageAndTitleItemsAreButtonsThatRunTheirActions) {
    auto play =
        SJEdgeControlButtonItem::initWithImage(UIImage::qmui_imageWithColor(UIColor::whiteColor()), 10);
    auto title = SJEdgeControlButtonItem::initWithTitle(NSAttributedString("标题"), 11);
    int taps = 0;
    play->addAction([&](SJEdgeControlButtonItem& item) { taps += static_cast<int>(item.tag()); });
    struct Owner {
        int calls = 0;
        void tapped(SJEdgeControlButtonItem&) { ++calls; }
    };
    auto owner = std::make_shared<Owner>();
    title->addAction(std::weak_ptr<Owner>(owner), &Owner::tapped);
    bar->addItemsFromArray({play, title});
    bar->reload();

    auto button = bar->viewForItemWithTag(10);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->frame().size, (CGSize{49, 49})) << "an image item is square";
    driver.tap(button);
    EXPECT_EQ(taps, 10);
    driver.tap(bar->viewForItemWithTag(11));
    EXPECT_EQ(owner->calls, 1);
    std::weak_ptr<Owner> gone = owner;
    owner.reset();
    driver.tap(bar->viewForItemWithTag(11));
    EXPECT_TRUE(gone.expired()) << "the item holds its target weakly";

    // Touches that miss the items pass through the bar.
    EXPECT_EQ(window->hitTest({290, 120}, nullptr), window);
}

} // namespace
