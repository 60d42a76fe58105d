#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UIPresentationController.h"
#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

using namespace controllertests;

namespace {

using Calls = std::vector<std::string>;

class Presentation : public ScreenTest {
  protected:
    std::shared_ptr<RecordingViewController> page(const std::string& name) {
        return std::make_shared<RecordingViewController>(name, log);
    }

    std::shared_ptr<RecordingViewController> showRoot(const std::string& name) {
        auto root = page(name);
        window->setRootViewController(root);
        settle();
        log->clear();
        return root;
    }
};

} // namespace

TEST_F(Presentation, FullScreenPresentAndDismissGiveBothPagesUIKitsAppearanceCalls) {
    auto first = showRoot("A");
    auto second = page("B");
    second->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
    bool presented = false;
    first->presentViewController(second, true, [&] { presented = true; });
    EXPECT_EQ(*log, (Calls{"B.viewDidLoad", "A.viewWillDisappear", "B.viewWillAppear"}));
    EXPECT_FALSE(presented);
    EXPECT_FALSE(second->view()->isUserInteractionEnabled()) << "no taps until it is in place";
    settle();
    EXPECT_TRUE(presented);
    EXPECT_TRUE(second->view()->isUserInteractionEnabled());
    EXPECT_EQ(*log, (Calls{"B.viewDidLoad", "A.viewWillDisappear", "B.viewWillAppear", "B.viewDidAppear",
                           "A.viewDidDisappear"}));
    EXPECT_EQ(first->presentedViewController(), second);
    EXPECT_EQ(second->presentingViewController(), first);
    EXPECT_EQ(second->view()->frame(), window->bounds());
    EXPECT_TRUE(first->view()->isHidden())
        << "a full-screen presentation takes the page beneath off the screen";

    log->clear();
    bool dismissed = false;
    second->dismissViewControllerAnimated(true, [&] { dismissed = true; });
    EXPECT_EQ(*log, (Calls{"B.viewWillDisappear", "A.viewWillAppear"}));
    settle();
    EXPECT_TRUE(dismissed);
    EXPECT_EQ(*log,
              (Calls{"B.viewWillDisappear", "A.viewWillAppear", "A.viewDidAppear", "B.viewDidDisappear"}));
    EXPECT_EQ(first->presentedViewController(), nullptr);
    EXPECT_EQ(second->presentingViewController(), nullptr);
    EXPECT_FALSE(first->view()->isHidden());
    EXPECT_EQ(second->view()->superview(), nullptr);
}

TEST_F(Presentation, APageSheetLeavesThePageBeneathOnScreen) {
    auto first = showRoot("A");
    auto sheet = page("Sheet");
    first->presentViewController(sheet, true);
    settle();
    EXPECT_EQ(*log, (Calls{"Sheet.viewDidLoad", "Sheet.viewWillAppear", "Sheet.viewDidAppear"}));
    EXPECT_FALSE(first->view()->isHidden());
    const CGRect frame = sheet->view()->frame();
    EXPECT_EQ(frame.minY(), UIScreen::mainScreen().statusBarHeight() + 10);
    EXPECT_EQ(frame.maxY(), window->bounds().maxY());
    EXPECT_EQ(sheet->view()->layer()->maskedCorners(), kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);

    log->clear();
    first->dismissViewControllerAnimated(true);
    settle();
    EXPECT_EQ(*log, (Calls{"Sheet.viewWillDisappear", "Sheet.viewDidDisappear"}));
}

TEST_F(Presentation, PagesInsideAPresentedNavigationControllerDismissIt) {
    auto first = showRoot("A");
    auto login = page("Login");
    auto navigation = std::make_shared<UINavigationController>(login);
    navigation->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
    first->presentViewController(navigation, false);
    EXPECT_EQ(first->presentedViewController(), navigation);
    EXPECT_EQ(login->presentingViewController(), first) << "children answer for their container";

    auto form = page("Form");
    navigation->pushViewController(form, false);
    log->clear();
    form->dismissViewControllerAnimated(true);
    settle();
    EXPECT_EQ(first->presentedViewController(), nullptr);
    EXPECT_EQ(*log, (Calls{"Form.viewWillDisappear", "A.viewWillAppear", "A.viewDidAppear",
                           "Form.viewDidDisappear"}));
}

TEST_F(Presentation, PresentingFromAChildPresentsOverItsOutermostContainer) {
    auto root = page("A");
    auto navigation = std::make_shared<UINavigationController>(root);
    window->setRootViewController(navigation);
    settle();
    auto modal = page("Modal");
    root->presentViewController(modal, false);
    EXPECT_EQ(navigation->presentedViewController(), modal);
    EXPECT_EQ(root->presentedViewController(), modal);
    EXPECT_EQ(navigation->visibleViewController(), modal);
}

TEST_F(Presentation, DismissingTheMiddleOfAStackTakesEverythingAboveWithIt) {
    auto first = showRoot("A");
    auto second = page("B");
    second->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
    first->presentViewController(second, false);
    auto third = page("C");
    third->setModalPresentationStyle(UIModalPresentationStyle::fullScreen);
    second->presentViewController(third, false);
    log->clear();

    first->dismissViewControllerAnimated(true);
    settle();
    EXPECT_EQ(*log,
              (Calls{"C.viewWillDisappear", "A.viewWillAppear", "A.viewDidAppear", "C.viewDidDisappear"}))
        << "the page in between was off the screen and stays quiet";
    EXPECT_EQ(first->presentedViewController(), nullptr);
    EXPECT_EQ(second->presentedViewController(), nullptr);
    EXPECT_EQ(window->subviews().size(), 1u) << "only the root's view is left";
}

TEST_F(Presentation, ASecondPresentationOnTheSameContextIsRefused) {
    auto first = showRoot("A");
    first->presentViewController(page("B"), false);
    bool ran = false;
    first->presentViewController(page("C"), false, [&] { ran = true; });
    settle();
    EXPECT_FALSE(ran);
    EXPECT_EQ(std::count(log->begin(), log->end(), "C.viewDidLoad"), 0);
}

TEST_F(Presentation, APageOffTheScreenCannotPresent) {
    auto loose = page("Loose");
    bool ran = false;
    loose->presentViewController(page("B"), false, [&] { ran = true; });
    EXPECT_FALSE(ran);
    EXPECT_EQ(loose->presentedViewController(), nullptr);
}

TEST_F(Presentation, ReplacingTheWindowsRootSwapsTheirAppearance) {
    auto splash = showRoot("Splash");
    auto main = page("Main");
    window->setRootViewController(main);
    EXPECT_EQ(*log, (Calls{"Main.viewDidLoad", "Splash.viewWillDisappear", "Main.viewWillAppear",
                           "Splash.viewDidDisappear", "Main.viewDidAppear"}));
    EXPECT_EQ(splash->view()->superview(), nullptr);
    EXPECT_EQ(main->view()->superview(), window);
}

TEST_F(Presentation, ARootSetOnAHiddenWindowAppearsOnceTheWindowIsShown) {
    auto hidden = std::make_shared<UIWindow>(window->bounds());
    auto root = page("Root");
    hidden->setRootViewController(root);
    EXPECT_EQ(*log, (Calls{"Root.viewDidLoad"}));
    hidden->makeKeyAndVisible();
    settle();
    EXPECT_EQ(*log, (Calls{"Root.viewDidLoad", "Root.viewWillAppear", "Root.viewDidAppear"}));
    hidden->setRootViewController(nullptr);
    hidden->setHidden(true);
}
