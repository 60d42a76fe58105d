#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UITabBarController.h"
#include "platform/UIKit/Controllers/UITabBarItem.h"
#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

using namespace controllertests;

namespace {

using Calls = std::vector<std::string>;

// Hides the bottom bar for every page pushed after the root, as the application's
// navigation controller does.
class HidingNavigationController : public UINavigationController {
  public:
    using UINavigationController::UINavigationController;
    void pushViewController(std::shared_ptr<UIViewController> controller, bool animated) override {
        controller->setHidesBottomBarWhenPushed(!viewControllers().empty());
        UINavigationController::pushViewController(std::move(controller), animated);
    }
};

class Delegate : public UITabBarControllerDelegate {
  public:
    bool shouldSelectViewController(UITabBarController&, UIViewController& controller) override {
        return &controller != refused;
    }
    void didSelectViewController(UITabBarController&, UIViewController& controller) override {
        selected.push_back(&controller);
    }
    UIViewController* refused = nullptr;
    std::vector<UIViewController*> selected;
};

class TabBar : public ScreenTest {
  protected:
    std::shared_ptr<RecordingViewController> page(const std::string& name) {
        auto controller = std::make_shared<RecordingViewController>(name, log);
        controller->setTitle(name);
        return controller;
    }

    std::shared_ptr<UITabBarController> showTabs(std::vector<std::shared_ptr<UIViewController>> children) {
        auto tabs = std::make_shared<UITabBarController>();
        tabs->setViewControllers(std::move(children), false);
        window->setRootViewController(tabs);
        settle();
        log->clear();
        return tabs;
    }
};

} // namespace

TEST_F(TabBar, OnlyTheSelectedTabLoadsAndAppears) {
    auto first = page("A");
    auto second = page("B");
    auto tabs = std::make_shared<UITabBarController>();
    tabs->setViewControllers({first, second}, false);
    window->setRootViewController(tabs);
    EXPECT_EQ(*log, (Calls{"A.viewDidLoad", "A.viewWillAppear", "A.viewDidAppear"}));
    EXPECT_FALSE(second->isViewLoaded());
    EXPECT_EQ(tabs->selectedIndex(), 0u);
    EXPECT_EQ(tabs->tabBar()->items().size(), 2u);
    EXPECT_EQ(tabs->tabBar()->selectedItem(), first->tabBarItem());
}

TEST_F(TabBar, ATabSwitchGivesBothPagesUIKitsAppearanceCalls) {
    auto first = page("A");
    auto second = page("B");
    auto tabs = showTabs({first, second});
    tabs->setSelectedIndex(1);
    EXPECT_EQ(*log, (Calls{"B.viewDidLoad", "B.viewWillAppear", "A.viewWillDisappear", "A.viewDidDisappear",
                           "B.viewDidAppear"}));
    EXPECT_EQ(tabs->selectedViewController(), second);
    EXPECT_EQ(first->view()->superview(), nullptr);
    EXPECT_EQ(second->view()->frame(), window->bounds());
    EXPECT_EQ(second->view()->safeAreaInsets().bottom,
              UIScreen::mainScreen().safeAreaInsets().bottom + UITabBar::kContentHeight)
        << "the page's safe area ends above the bar";
}

TEST_F(TabBar, TappingAnItemAsksTheDelegateSelectsAndTellsIt) {
    auto first = page("A");
    auto second = page("B");
    auto third = page("C");
    auto tabs = showTabs({first, second, third});
    auto delegate = std::make_shared<Delegate>();
    delegate->refused = third.get();
    tabs->delegate = delegate;

    std::vector<std::string> observed;
    auto observation = tabs->tabBar()->selectedItemObservable().observe(
        NSKeyValueObservingOptionNew | NSKeyValueObservingOptionOld, [&](const auto& change) {
            observed.push_back((*change.oldValue)->title() + ">" + (*change.newValue)->title());
        });

    tap(find("B"));
    EXPECT_EQ(tabs->selectedViewController(), second);
    EXPECT_EQ(delegate->selected, (std::vector<UIViewController*>{second.get()}));
    tap(find("C"));
    EXPECT_EQ(tabs->selectedViewController(), second) << "the delegate refused the third tab";
    EXPECT_EQ(tabs->tabBar()->selectedItem(), second->tabBarItem());
    EXPECT_EQ(delegate->selected.size(), 1u);
    EXPECT_EQ(observed.front(), "A>B");

    observation->invalidate();
    tabs->setSelectedIndex(0);
    EXPECT_EQ(observed.back(), "C>B") << "no reports after the observation ended";
}

TEST_F(TabBar, PushingTheRootKeepsTheBarAndLaterPushesHideItUntilPopped) {
    auto home = page("Home");
    auto navigation = std::make_shared<HidingNavigationController>(home);
    auto tabs = showTabs({navigation, page("Other")});
    const auto& bar = tabs->tabBar();
    const CGFloat screenBottomInset = UIScreen::mainScreen().safeAreaInsets().bottom;
    EXPECT_FALSE(bar->isHidden()) << "the root keeps the bar";
    EXPECT_FALSE(home->hidesBottomBarWhenPushed());
    EXPECT_EQ(home->view()->safeAreaInsets().bottom, screenBottomInset + UITabBar::kContentHeight);

    auto detail = page("Detail");
    navigation->pushViewController(detail, true);
    EXPECT_FALSE(bar->isHidden()) << "the bar slides away with the page beneath";
    settle();
    EXPECT_TRUE(bar->isHidden());
    EXPECT_EQ(detail->view()->safeAreaInsets().bottom, screenBottomInset)
        << "the pushed page has the whole height";

    auto deeper = page("Deeper");
    navigation->pushViewController(deeper, false);
    EXPECT_TRUE(bar->isHidden());

    navigation->popToRootViewControllerAnimated(true);
    EXPECT_FALSE(bar->isHidden()) << "the bar comes back with the root";
    settle();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->transform(), CGAffineTransformIdentity);
    EXPECT_EQ(home->view()->safeAreaInsets().bottom, screenBottomInset + UITabBar::kContentHeight);

    navigation->pushViewController(page("Again"), false);
    navigation->tabBarItem()->setTitle("首页");
    tabs->setSelectedIndex(1);
    EXPECT_FALSE(bar->isHidden()) << "another tab shows the bar";
    tabs->setSelectedIndex(0);
    EXPECT_TRUE(bar->isHidden()) << "back on a tab whose page hides it";

    navigation->popViewControllerAnimated(false);
    navigation->pushViewController(page("Once more"), false);
    tabs->didSelectItem(*bar, navigation->tabBarItem());
    settle();
    EXPECT_EQ(navigation->topViewController(), home) << "a tap on the tab shown goes back to the root";
    EXPECT_FALSE(bar->isHidden());
}

TEST_F(TabBar, TabsInsideNavigationControllersForwardAppearanceToTheirTopPage) {
    auto home = page("Home");
    auto library = page("Library");
    auto tabs = showTabs(
        {std::make_shared<UINavigationController>(home), std::make_shared<UINavigationController>(library)});
    tabs->setSelectedIndex(1);
    EXPECT_EQ(*log, (Calls{"Library.viewDidLoad", "Library.viewWillAppear", "Home.viewWillDisappear",
                           "Home.viewDidDisappear", "Library.viewDidAppear"}));
}

TEST_F(TabBar, ACustomBarClassReplacesThePlainOne) {
    class CustomBar : public UITabBar {
      public:
        const std::vector<std::shared_ptr<UITabBarItem>>& items() const override { return kept; }
        void setItems(std::vector<std::shared_ptr<UITabBarItem>> items, bool) override {
            kept = std::move(items);
        }
        std::vector<std::shared_ptr<UITabBarItem>> kept;
    };
    auto bar = std::make_shared<CustomBar>();
    auto tabs = std::make_shared<UITabBarController>();
    tabs->setTabBar(bar);
    tabs->setViewControllers({page("A"), page("B")}, false);
    window->setRootViewController(tabs);
    settle();
    EXPECT_EQ(tabs->tabBar(), bar);
    EXPECT_EQ(bar->kept.size(), 2u);
    EXPECT_TRUE(bar->buttons().empty()) << "the plain bar draws no buttons for items it never got";
}

TEST_F(TabBar, WithoutChildrenThereIsNoSelection) {
    auto tabs = std::make_shared<UITabBarController>();
    EXPECT_EQ(tabs->selectedIndex(), NSNotFound);
    EXPECT_EQ(tabs->selectedViewController(), nullptr);
    tabs->setSelectedIndex(3);
    EXPECT_EQ(tabs->selectedIndex(), NSNotFound);
}
