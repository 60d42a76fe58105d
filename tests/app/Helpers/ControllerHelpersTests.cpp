#include "app/Helpers/KKpresentationdisease.h"
#include "app/Helpers/UIScrollView+FooterRefresh.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UITabBarController.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using Controller = std::shared_ptr<UIViewController>;

class TopController : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        delegate = std::make_shared<UIApplicationDelegate>();
        UIApplication::sharedApplication()->setDelegate(delegate);
    }
    void TearDown() override { UIApplication::sharedApplication()->setDelegate(nullptr); }

    void show(const Controller& root) {
        delegate->window = std::make_shared<UIWindow>(CGRectMake(0, 0, 390, 844));
        delegate->window->setRootViewController(root);
        delegate->window->makeKeyAndVisible();
        RunLoop::main().advance(1);
    }

    void present(const Controller& over, const Controller& presented) {
        over->presentViewController(presented, false);
        RunLoop::main().advance(1);
    }

    std::shared_ptr<UITabBarController> tabsWith(const std::vector<Controller>& children) {
        auto tabs = std::make_shared<UITabBarController>();
        tabs->setViewControllers(children, false);
        return tabs;
    }

    std::shared_ptr<UIApplicationDelegate> delegate;
};

TEST_F(TopController, WithoutAWindowOrRootANewPlainController) {
    const auto first = KKpresentationdisease::getCurrentVC();
    ASSERT_NE(first, nullptr);
    EXPECT_NE(first, KKpresentationdisease::getCurrentVC());
    delegate->window = std::make_shared<UIWindow>();
    EXPECT_NE(KKpresentationdisease::getMainCurrentVC(), nullptr);
}

TEST_F(TopController, TheSelectedTabsVisiblePageOrItsRoot) {
    auto home = std::make_shared<UIViewController>();
    auto homeNavigation = std::make_shared<UINavigationController>(home);
    auto library = std::make_shared<UIViewController>();
    auto tabs = tabsWith({homeNavigation, std::make_shared<UINavigationController>(library)});
    show(tabs);
    EXPECT_EQ(KKpresentationdisease::getCurrentVC(), home);

    auto detail = std::make_shared<UIViewController>();
    homeNavigation->pushViewController(detail, false);
    EXPECT_EQ(KKpresentationdisease::getCurrentVC(), detail);
    EXPECT_EQ(KKpresentationdisease::getMainCurrentVC(), home);

    tabs->setSelectedIndex(1);
    EXPECT_EQ(KKpresentationdisease::getCurrentVC(), library);
}

TEST_F(TopController, PresentedPagesComeFirst) {
    auto home = std::make_shared<UIViewController>();
    auto tabs = tabsWith({std::make_shared<UINavigationController>(home)});
    show(tabs);
    auto login = std::make_shared<UIViewController>();
    auto loginNavigation = std::make_shared<UINavigationController>(login);
    loginNavigation->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
    present(home, loginNavigation);
    EXPECT_EQ(KKpresentationdisease::getCurrentVC(), login);
    EXPECT_EQ(KKpresentationdisease::getMainCurrentVC(), login);
}

TEST_F(TopController, APresentedTabBarControllersSelectedPagePresentingAgain) {
    auto base = std::make_shared<UIViewController>();
    show(base);
    auto inner = std::make_shared<UIViewController>();
    auto presentedTabs = tabsWith({inner});
    present(base, presentedTabs);
    EXPECT_EQ(KKpresentationdisease::getCurrentVC(), inner);
    auto sheet = std::make_shared<UIViewController>();
    present(inner, sheet);
    EXPECT_EQ(KKpresentationdisease::getCurrentVC(), sheet);
}

TEST_F(TopController, ANavigationControllerAsRoot) {
    auto page = std::make_shared<UIViewController>();
    auto navigation = std::make_shared<UINavigationController>(page);
    show(navigation);
    navigation->pushViewController(std::make_shared<UIViewController>(), false);
    EXPECT_EQ(KKpresentationdisease::getCurrentVC(), navigation->topViewController());
    EXPECT_EQ(KKpresentationdisease::getMainCurrentVC(), navigation)
        << "outside a tab bar it is itself the answer";
}

TEST(FooterRefresh, EachPageEndsTheLoadMoreControlAsItShould) {
    auto list = std::make_shared<UIScrollView>(CGRectMake(0, 0, 320, 480));
    endFooterRefresh(*list, 1, 1); // no control: nothing happens
    auto footer = std::make_shared<MJRefreshAutoNormalFooter>();
    list->setMj_footer(footer);

    const auto after = [&](std::int64_t page, std::int64_t lastPage) {
        footer->beginRefreshing();
        endFooterRefresh(*list, page, lastPage);
        return footer->state();
    };
    EXPECT_EQ(after(1, 1), MJRefreshState::noMoreData);
    EXPECT_EQ(after(1, 0), MJRefreshState::noMoreData);
    footer->endRefreshingWithNoMoreData();
    EXPECT_EQ(after(1, 3), MJRefreshState::idle) << "a first page of several clears the earlier end";
    EXPECT_EQ(after(2, 3), MJRefreshState::idle);
    EXPECT_EQ(after(3, 3), MJRefreshState::noMoreData);
    EXPECT_EQ(after(4, 3), MJRefreshState::noMoreData);
}

} // namespace
