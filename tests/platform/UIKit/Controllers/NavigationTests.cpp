#include "platform/UIKit/Controllers/UIBarButtonControl.h"
#include "platform/UIKit/Controllers/UIBarButtonItem.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UINavigationItem.h"
#include "platform/UIKit/UILabel.h"
#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

using namespace controllertests;

namespace {

using Calls = std::vector<std::string>;

class Navigation : public ScreenTest {
  protected:
    std::shared_ptr<RecordingViewController> page(const std::string& name) {
        return std::make_shared<RecordingViewController>(name, log);
    }

    // A navigation controller on screen with `root`, its appearance calls cleared.
    std::shared_ptr<UINavigationController> showNavigation(const std::shared_ptr<UIViewController>& root) {
        auto navigation = std::make_shared<UINavigationController>(root);
        window->setRootViewController(navigation);
        settle();
        log->clear();
        return navigation;
    }
};

} // namespace

TEST_F(Navigation, TheRootAppearsWithTheWindow) {
    auto navigation = std::make_shared<UINavigationController>(page("A"));
    window->setRootViewController(navigation);
    EXPECT_EQ(*log, (Calls{"A.viewDidLoad", "A.viewWillAppear", "A.viewDidAppear"}));
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
}

TEST_F(Navigation, PushGivesBothPagesUIKitsAppearanceCalls) {
    auto first = page("A");
    auto navigation = showNavigation(first);
    auto second = page("B");
    navigation->pushViewController(second, true);
    EXPECT_EQ(*log, (Calls{"B.viewDidLoad", "A.viewWillDisappear", "B.viewWillAppear"}));
    EXPECT_FALSE(navigation->view()->isUserInteractionEnabled()) << "no taps while the pages slide";
    settle();
    EXPECT_TRUE(navigation->view()->isUserInteractionEnabled());
    EXPECT_EQ(*log, (Calls{"B.viewDidLoad", "A.viewWillDisappear", "B.viewWillAppear", "A.viewDidDisappear",
                           "B.viewDidAppear"}));
    EXPECT_EQ(navigation->topViewController(), second);
    EXPECT_EQ(second->navigationController(), navigation);
    EXPECT_EQ(first->view()->superview(), nullptr) << "the page beneath leaves the screen";
    EXPECT_EQ(second->view()->transform(), CGAffineTransformIdentity);
}

TEST_F(Navigation, PopGivesBothPagesUIKitsAppearanceCallsAndReleasesThePoppedPage) {
    auto first = page("A");
    auto navigation = showNavigation(first);
    auto second = page("B");
    navigation->pushViewController(second, false);
    log->clear();

    EXPECT_EQ(navigation->popViewControllerAnimated(true), second);
    EXPECT_EQ(*log, (Calls{"B.viewWillDisappear", "A.viewWillAppear"}));
    EXPECT_EQ(navigation->viewControllers(), (std::vector<std::shared_ptr<UIViewController>>{first}));
    EXPECT_EQ(second->parentViewController(), navigation) << "a child until it has left the screen";
    settle();
    EXPECT_EQ(*log,
              (Calls{"B.viewWillDisappear", "A.viewWillAppear", "B.viewDidDisappear", "A.viewDidAppear"}));
    EXPECT_EQ(second->parentViewController(), nullptr);
    EXPECT_EQ(second->view()->superview(), nullptr);
    std::weak_ptr<UIViewController> released = second;
    second.reset();
    EXPECT_TRUE(released.expired()) << "nothing keeps a popped page";
    EXPECT_EQ(navigation->popViewControllerAnimated(true), nullptr) << "the root stays";
}

TEST_F(Navigation, PopToRootSkipsThePagesInBetween) {
    auto navigation = showNavigation(page("A"));
    navigation->pushViewController(page("B"), false);
    navigation->pushViewController(page("C"), false);
    log->clear();
    const auto popped = navigation->popToRootViewControllerAnimated(true);
    settle();
    EXPECT_EQ(popped.size(), 2u);
    EXPECT_EQ(*log,
              (Calls{"C.viewWillDisappear", "A.viewWillAppear", "C.viewDidDisappear", "A.viewDidAppear"}));
}

TEST_F(Navigation, APushDuringATransitionFinishesTheRunningOneFirst) {
    auto navigation = showNavigation(page("A"));
    navigation->pushViewController(page("B"), true);
    navigation->pushViewController(page("C"), true);
    settle();
    EXPECT_EQ(*log, (Calls{"B.viewDidLoad", "A.viewWillDisappear", "B.viewWillAppear", "A.viewDidDisappear",
                           "B.viewDidAppear", "C.viewDidLoad", "B.viewWillDisappear", "C.viewWillAppear",
                           "B.viewDidDisappear", "C.viewDidAppear"}));
    EXPECT_EQ(navigation->viewControllers().size(), 3u);
}

TEST_F(Navigation, ThePageSameInstanceCannotBePushedTwice) {
    auto first = page("A");
    auto navigation = showNavigation(first);
    navigation->pushViewController(first, true);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
    EXPECT_TRUE(log->empty());
}

TEST_F(Navigation, TheBarShowsTheTitleABackButtonAndBarButtonsAndTheBackButtonPops) {
    auto first = page("A");
    first->setTitle("首页");
    auto navigation = showNavigation(first);
    const auto& bar = navigation->navigationBar();
    EXPECT_EQ(bar->titleLabel()->text(), "首页");
    EXPECT_TRUE(bar->backButton()->isHidden()) << "no back button on the root";

    auto second = page("B");
    second->setTitle("播放记录");
    int cleared = 0;
    second->navigationItem()->setRightBarButtonItem(std::make_shared<UIBarButtonItem>(
        "清空", UIBarButtonItemStyle::plain, [&](UIBarButtonItem&) { ++cleared; }));
    navigation->pushViewController(second, true);
    settle();
    EXPECT_EQ(bar->titleLabel()->text(), "播放记录");
    EXPECT_FALSE(bar->backButton()->isHidden());
    tap(find("清空"));
    EXPECT_EQ(cleared, 1);

    second->setTitle("历史");
    EXPECT_EQ(bar->titleLabel()->text(), "历史") << "the bar follows its item";

    tap(bar->backButton());
    settle();
    EXPECT_EQ(navigation->topViewController(), first);
    EXPECT_EQ(bar->titleLabel()->text(), "首页");
}

TEST_F(Navigation, PagesSitBelowAnOpaqueBarAndUnderATranslucentOne) {
    auto first = page("A");
    auto navigation = showNavigation(first);
    const CGFloat barBottom = UIScreen::mainScreen().statusBarHeight() + UINavigationBar::kContentHeight;
    EXPECT_EQ(navigation->navigationBar()->frame().maxY(), barBottom);
    EXPECT_EQ(first->view()->frame().minY(), 0) << "translucent: under the bar";
    EXPECT_EQ(first->view()->safeAreaInsets().top, barBottom);

    navigation->navigationBar()->setTranslucent(false);
    settle();
    EXPECT_EQ(first->view()->frame().minY(), barBottom);
    EXPECT_EQ(first->view()->safeAreaInsets().top, 0);

    navigation->setNavigationBarHidden(true, false);
    settle();
    EXPECT_TRUE(navigation->navigationBar()->isHidden());
    EXPECT_EQ(first->view()->frame().minY(), 0);
    EXPECT_EQ(first->view()->safeAreaInsets().top, UIScreen::mainScreen().statusBarHeight());
}

TEST_F(Navigation, ShowPushesInsideANavigationControllerAndPresentsOutside) {
    auto first = page("A");
    auto navigation = showNavigation(first);
    auto second = page("B");
    first->showViewController(second, first);
    settle();
    EXPECT_EQ(navigation->topViewController(), second);

    auto lone = page("Lone");
    window->setRootViewController(lone);
    settle();
    auto shown = page("Shown");
    lone->showViewController(shown, lone);
    settle();
    EXPECT_EQ(lone->presentedViewController(), shown);
}

TEST_F(Navigation, QMUIStylePopRunsItsCompletionOnceThePopIsOver) {
    auto navigation = showNavigation(page("A"));
    navigation->pushViewController(page("B"), false);
    bool done = false;
    navigation->qmui_popViewControllerAnimated(true, [&] { done = true; });
    EXPECT_FALSE(done);
    settle();
    EXPECT_TRUE(done);
    EXPECT_EQ(navigation->viewControllers().size(), 1u);
}
