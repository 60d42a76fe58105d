#include "app/Base/BaseViewController.h"
#include "app/Base/Constant.h"
#include "app/Base/NavigationController.h"
#include "app/Base/ViewController.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/QMUIKit/Controllers/QMUIEmptyView.h"
#include "platform/UIKit/Controllers/UITabBarController.h"
#include "platform/UIKit/Controls/UIActivityIndicatorView.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

// A page that rotates and picks its own status bar (as the player page does).
class RotatingPage : public BaseViewController {
  public:
    bool shouldAutorotate() const override { return true; }
    UIInterfaceOrientationMask supportedInterfaceOrientations() const override {
        return UIInterfaceOrientationMaskAllButUpsideDown;
    }
    UIStatusBarStyle preferredStatusBarStyle() const override { return UIStatusBarStyle::lightContent; }
};

TEST(BaseViewController, PagesHaveThePanelColourAndAnEmptyViewReadingNoData) {
    auto page = std::make_shared<BaseViewController>();
    page->loadViewIfNeeded();
    EXPECT_EQ(page->view()->backgroundColor(), hexColor("28272C", 1.0));
    const auto& empty = page->emptyView();
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->textLabelText(), "暂无数据");
    EXPECT_TRUE(empty->loadingView()->isHidden());
    EXPECT_FALSE(empty->isUserInteractionEnabled());
    EXPECT_EQ(empty->imageView()->image(), UIImage::imageNamed("empty"));
    EXPECT_EQ(empty->textLabel()->textColor(), hexColor("BEBDC2", 1.0));
    EXPECT_EQ(empty->textLabel()->font(), UIFont::systemFontOfSize(14));
}

TEST(BaseViewController, TheEmptyPageAndNameSpacesAddNothing) {
    static_assert(std::is_base_of_v<UIViewController, ViewController>);
    static_assert(std::is_empty_v<Constant> && std::is_empty_v<Constant::downState> &&
                  std::is_empty_v<Constant::watchingState>);
    auto page = std::make_shared<ViewController>();
    page->loadViewIfNeeded();
    EXPECT_TRUE(page->isViewLoaded());
}

TEST(BaseViewController, PagesStayInPortraitWithTheBarShown) {
    const BaseViewController page;
    EXPECT_EQ(page.supportedInterfaceOrientations(), UIInterfaceOrientationMaskPortrait);
    EXPECT_FALSE(page.shouldAutorotate());
    EXPECT_FALSE(page.preferredNavigationBarHidden());
    EXPECT_TRUE(page.shouldCustomizeNavigationBarTransitionIfHideable());
}

class NavigationStack : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
        root = std::make_shared<BaseViewController>();
        navigation = std::make_shared<NavigationController>(root);
        tabs = std::make_shared<UITabBarController>();
        tabs->setViewControllers({navigation}, false);
        window->setRootViewController(tabs);
        window->makeKeyAndVisible();
        window->layoutIfNeeded();
        RunLoop::main().advance(1);
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<BaseViewController> root;
    std::shared_ptr<NavigationController> navigation;
    std::shared_ptr<UITabBarController> tabs;
};

TEST_F(NavigationStack, TheTabBarHidesOnEveryPushAfterTheRoot) {
    EXPECT_FALSE(root->hidesBottomBarWhenPushed());
    EXPECT_FALSE(tabs->tabBar()->isHidden());
    EXPECT_FALSE(navigation->navigationBar()->isTranslucent());

    auto second = std::make_shared<BaseViewController>();
    navigation->pushViewController(second, true);
    RunLoop::main().advance(1);
    EXPECT_TRUE(second->hidesBottomBarWhenPushed());
    EXPECT_TRUE(tabs->tabBar()->isHidden());

    auto third = std::make_shared<BaseViewController>();
    navigation->pushViewController(third, false);
    EXPECT_TRUE(third->hidesBottomBarWhenPushed());

    navigation->popToRootViewControllerAnimated(false);
    RunLoop::main().advance(1);
    EXPECT_FALSE(tabs->tabBar()->isHidden());
}

TEST_F(NavigationStack, RotationAndStatusBarFollowTheTopPage) {
    EXPECT_FALSE(navigation->shouldAutorotate());
    EXPECT_EQ(navigation->supportedInterfaceOrientations(), UIInterfaceOrientationMaskPortrait);
    auto player = std::make_shared<RotatingPage>();
    navigation->pushViewController(player, false);
    EXPECT_TRUE(navigation->shouldAutorotate());
    EXPECT_EQ(navigation->supportedInterfaceOrientations(), UIInterfaceOrientationMaskAllButUpsideDown);
    EXPECT_EQ(navigation->childViewControllerForStatusBarStyle(), player);
    EXPECT_EQ(navigation->childViewControllerForStatusBarHidden(), player);
}

} // namespace
