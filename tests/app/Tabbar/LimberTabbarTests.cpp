#include "app/Tabbar/AHLimberTabbar.h"
#include "app/Tabbar/AHLimberTabbarController.h"
#include "app/Tabbar/AHLimberTabbarItem.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<AHLimberTabbarItem> item(const std::string& title, std::optional<UIColor> tint = std::nullopt,
                                         std::optional<UIColor> background = std::nullopt) {
    auto result = std::make_shared<AHLimberTabbarItem>(title, UIImage::imageNamed("tab_home"), nullptr);
    result->setIconTintColor(tint);
    result->setBackgroundColor(background);
    return result;
}

bool blinks(const AHLimberTabBarItemView& tab) {
    return std::dynamic_pointer_cast<CAKeyframeAnimation>(tab.layer()->animationForKey("opacity")) != nullptr;
}

class LimberTabbar : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        RunLoop::main().advance(10);
    }

    // A bar as the interface file makes it: constructed, given its items, woken up.
    void makeBar(const CGRect& screen, CGFloat barHeight, std::vector<std::shared_ptr<UITabBarItem>> items) {
        window = std::make_shared<UIWindow>(screen);
        window->makeKeyAndVisible();
        bar = std::make_shared<AHLimberTabbar>(
            CGRectMake(0, screen.size.height - barHeight, screen.size.width, barHeight));
        window->addSubview(bar);
        bar->setItems(std::move(items), false);
        window->layoutIfNeeded();
        bar->awakeFromNib();
        window->layoutIfNeeded();
    }

    void fourTabs() {
        makeBar(CGRectMake(0, 0, 375, 667), 49,
                {item("home", UIColor::redColor(), UIColor::blackColor()), item("library"), item("video"),
                 item("my")});
    }

    void settle() { RunLoop::main().advance(1); }

    void tap(const AHLimberTabBarItemView& tab) {
        const CGPoint point = tab.convertPointToView(tab.center(), nullptr);
        const CGPoint inWindow = tab.superview()->convertPointToView(tab.center(), window.get());
        (void)point;
        window->handleTouch(UITouchPhase::began, inWindow, RunLoop::main().now());
        window->handleTouch(UITouchPhase::ended, inWindow, RunLoop::main().now());
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<AHLimberTabbar> bar;
};

TEST_F(LimberTabbar, ItemsStayWithTheBarAndThePlatformDrawsNoButtons) {
    fourTabs();
    ASSERT_EQ(bar->items().size(), 4u);
    EXPECT_TRUE(bar->buttons().empty());
    ASSERT_EQ(bar->tabs().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(bar->tabs()[i]->tabBarItem(), bar->items()[i]);
    }
}

TEST_F(LimberTabbar, WakeUpSelectsTheFirstTabInPlace) {
    fourTabs();
    EXPECT_EQ(bar->selectedTab(), bar->tabs()[0]);
    EXPECT_EQ(bar->selectedTabHolder()->currentTab(), bar->tabs()[0]);
    for (const auto& tab : bar->tabs()) {
        EXPECT_FALSE(blinks(*tab));
    }
    settle();
    EXPECT_EQ(bar->tabs()[0]->alpha(), 0) << "the bubble shows the selected icon";
    EXPECT_NEAR(bar->selectedTabHolder()->center().x, bar->tabs()[0]->center().x, 1e-9);
    EXPECT_EQ(bar->selectedTabHolder()->imgTabIcon()->image(), bar->items()[0]->image());
}

TEST_F(LimberTabbar, BubbleOnA49PointBarWithoutInsetIsFourFifthsOfIt) {
    fourTabs();
    settle();
    EXPECT_NEAR(bar->selectedTabHolder()->frame().size.width, 39.2, 1e-9);
    EXPECT_NEAR(bar->backgroundView()->pitDepth(), 39.2, 1e-9);
    // Resting, the bubble's top is 10 points above the bar's top edge.
    EXPECT_NEAR(bar->selectedTabHolder()->frame().origin.y, -10, 1e-9);
}

TEST_F(LimberTabbar, BubbleOnAnInsetBarFillsTheHeightAboveTheInset) {
    makeBar(CGRectMake(0, 0, 390, 844), 83, {item("a"), item("b")});
    ASSERT_EQ(bar->safeAreaInsets().bottom, 34);
    settle();
    EXPECT_NEAR(bar->selectedTabHolder()->frame().size.width, 49, 1e-9);
}

TEST_F(LimberTabbar, TabsPassedOverBlink) {
    fourTabs();
    settle();
    bar->select(bar->tabs()[1]);
    for (const auto& tab : bar->tabs()) {
        EXPECT_FALSE(blinks(*tab)) << "adjacent tabs blink nothing";
    }
    settle();
    bar->select(bar->tabs()[3]);
    EXPECT_TRUE(blinks(*bar->tabs()[2]));
    EXPECT_FALSE(blinks(*bar->tabs()[0]));
    settle();
    bar->select(bar->tabs()[0]);
    EXPECT_TRUE(blinks(*bar->tabs()[1]));
    EXPECT_TRUE(blinks(*bar->tabs()[2]));
    EXPECT_FALSE(blinks(*bar->tabs()[3]));
}

TEST_F(LimberTabbar, SelectionRecoloursIconsBubbleAndBackground) {
    fourTabs();
    settle();
    EXPECT_EQ(bar->selectedTabHolder()->iconTintColor(), UIColor::redColor());
    EXPECT_EQ(bar->backgroundView()->borderLayer()->fillColor(), UIColor::blackColor());
    EXPECT_EQ(bar->selectedTabHolder()->backgroundColor(), UIColor::blackColor());
    // An item without colours takes the bar's: here no tint was given, so gray, and the
    // default background (white).
    bar->select(bar->tabs()[2]);
    settle();
    for (const auto& tab : bar->tabs()) {
        EXPECT_EQ(tab->iconTintColor(), UIColor::systemGrayColor());
    }
    EXPECT_EQ(bar->backgroundView()->borderLayer()->fillColor(), UIColor::whiteColor());
    EXPECT_EQ(bar->tabs()[0]->alpha(), 1);
    EXPECT_EQ(bar->tabs()[2]->alpha(), 0);
}

TEST_F(LimberTabbar, ReplayedSelectionDipsAndPulsesInPlace) {
    fourTabs();
    settle();
    const CGPoint resting = bar->selectedTabHolder()->center();
    bar->select(bar->tabs()[0]);
    EXPECT_NE(bar->selectedTabHolder()->layer()->animationForKey("position"), nullptr);
    EXPECT_NE(bar->backgroundView()->borderLayer()->animationForKey("path"), nullptr);
    RunLoop::main().advance(0.25);
    const auto halfway = bar->selectedTabHolder()->layer()->presentationLayer()->position();
    EXPECT_NEAR(halfway.x, resting.x, 1e-9);
    EXPECT_GT(halfway.y, resting.y + 50);
    settle();
    EXPECT_EQ(bar->tabs()[0]->alpha(), 0) << "the tab's own icon stays hidden";
    EXPECT_EQ(bar->selectedTabHolder()->center(), resting);
}

TEST_F(LimberTabbar, SafeAreaChangesRecalculateOnlyWhenTheBottomInsetChanges) {
    makeBar(CGRectMake(0, 0, 390, 844), 83, {item("a"), item("b")});
    settle();
    testing::internal::CaptureStdout();
    window->setAdditionalSafeAreaInsets({10, 0, 0, 0});
    window->layoutIfNeeded();
    settle();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "top inset changed, bottom inset did not";
    testing::internal::CaptureStdout();
    window->setAdditionalSafeAreaInsets({10, 0, 20, 0});
    window->layoutIfNeeded();
    settle();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Recalc pit height\n");
}

TEST_F(LimberTabbar, BarIgnoringTheSafeAreaNeverRecalculatesForIt) {
    window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
    window->makeKeyAndVisible();
    bar = std::make_shared<AHLimberTabbar>(CGRectMake(0, 761, 390, 83));
    window->addSubview(bar);
    ASSERT_TRUE(bar->setValue(false, "observeSafeAreaInsets"));
    bar->setItems({item("a"), item("b")}, false);
    bar->awakeFromNib();
    settle();
    EXPECT_NEAR(bar->selectedTabHolder()->frame().size.width, 0.8 * 83, 1e-9);
    testing::internal::CaptureStdout();
    window->setAdditionalSafeAreaInsets({0, 0, 20, 0});
    window->layoutIfNeeded();
    settle();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(LimberTabbar, BarWithoutItemsWakesUpWithoutSelecting) {
    makeBar(CGRectMake(0, 0, 375, 667), 49, {});
    settle();
    EXPECT_EQ(bar->selectedTab(), nullptr);
    bar->setItems({item("a"), item("b")}, false);
    EXPECT_EQ(bar->selectedTab(), bar->tabs()[0]);
}

TEST_F(LimberTabbar, NewItemsKeepTheSelectedItemWhenStillPresent) {
    fourTabs();
    settle();
    auto items = bar->items();
    bar->setSelectedItem(items[2]); // the selected-item path
    EXPECT_EQ(bar->selectedTab(), bar->tabs()[2]);
    std::rotate(items.begin(), items.begin() + 1, items.end()); // the selected item moves to index 1
    bar->setItems(items, false);
    EXPECT_EQ(bar->selectedTab(), bar->tabs()[1]);
    bar->setItems({item("other")}, false);
    EXPECT_EQ(bar->selectedTab(), bar->tabs()[0]);
}

class RecordingDelegate : public UITabBarControllerDelegate {
  public:
    bool shouldSelectViewController(UITabBarController&, UIViewController&) override {
        ++asked;
        return false;
    }
    void didSelectViewController(UITabBarController&, UIViewController& controller) override {
        selected.push_back(&controller);
    }
    int asked = 0;
    std::vector<UIViewController*> selected;
};

TEST_F(LimberTabbar, TapReachesTheControllerWhichSelectsWithoutAsking) {
    window = std::make_shared<UIWindow>(CGRectMake(0, 0, 375, 667));
    auto controller = std::make_shared<AHLimberTabbarController>();
    bar = std::make_shared<AHLimberTabbar>();
    controller->setTabBar(bar);
    std::vector<std::shared_ptr<UIViewController>> children;
    for (const char* title : {"home", "library", "video", "my"}) {
        auto child = std::make_shared<UIViewController>();
        child->setTabBarItem(item(title));
        children.push_back(child);
    }
    controller->setViewControllers(children, false);
    bar->awakeFromNib();
    auto delegate = std::make_shared<RecordingDelegate>();
    controller->delegate = delegate;
    window->setRootViewController(controller);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
    settle();

    tap(*bar->tabs()[2]);
    EXPECT_EQ(controller->selectedIndex(), 2u);
    EXPECT_EQ(bar->selectedTab(), bar->tabs()[2]);
    EXPECT_EQ(delegate->asked, 0);
    EXPECT_EQ(delegate->selected, (std::vector<UIViewController*>{children[2].get()}));
    // The controller's echo of the selection does not start a second move.
    EXPECT_EQ(bar->selectedTabHolder()->currentTab(), bar->tabs()[2]);

    // An item that is not among the bar's items changes nothing.
    controller->didSelectItem(*bar, item("stranger"));
    EXPECT_EQ(controller->selectedIndex(), 2u);
    EXPECT_EQ(delegate->selected.size(), 1u);
}

} // namespace

namespace {

TEST(LimberTabbarItem, InterfaceFileGivesColoursAndTemplateIcons) {
    AHLimberTabbarItem item;
    EXPECT_TRUE(item.setValue(UIColor::redColor(), "iconTintColor"));
    EXPECT_TRUE(item.setValue(UIColor::blackColor(), "backgroundColor"));
    EXPECT_FALSE(item.setValue(std::string("red"), "backgroundColor"));
    EXPECT_EQ(item.iconTintColor(), UIColor::redColor());
    EXPECT_EQ(item.backgroundColor(), UIColor::blackColor());
    EXPECT_TRUE(item.setValue(UIImage::imageNamed("tab_home"), "image"));
    ASSERT_NE(item.image(), nullptr);
    EXPECT_EQ(item.image()->renderingMode(), UIImageRenderingMode::alwaysTemplate);
    EXPECT_TRUE(item.setValue(std::string("首页"), "title"));
}

} // namespace
