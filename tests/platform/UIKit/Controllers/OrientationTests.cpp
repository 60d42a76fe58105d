#include "platform/Foundation/NotificationCenter.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "tests/platform/UIKit/Controllers/ControllerTestSupport.h"

using namespace controllertests;

namespace {

// A page that takes the orientations it is given and notes the sizes it is told to take.
class Page : public UIViewController {
  public:
    Page(UIInterfaceOrientationMask orientations, UIColor colour)
        : orientations_(orientations), colour_(colour) {}

    void viewDidLoad() override { view()->setBackgroundColor(colour_); }
    UIInterfaceOrientationMask supportedInterfaceOrientations() const override { return orientations_; }
    void viewWillTransitionToSize(CGSize size) override {
        sizes.push_back(size);
        UIViewController::viewWillTransitionToSize(size);
    }

    std::vector<CGSize> sizes;

  private:
    UIInterfaceOrientationMask orientations_;
    UIColor colour_;
};

class LimitingDelegate : public UIApplicationDelegate {
  public:
    UIInterfaceOrientationMask supportedInterfaceOrientationsForWindow(UIApplication&, UIWindow*) override {
        return UIInterfaceOrientationMaskPortrait;
    }
};

const UIColor kPortraitColour = UIColor::colorWithRed(0.2, 0.4, 0.8, 1);
const UIColor kTurningColour = UIColor::colorWithRed(0.9, 0.5, 0.1, 1);

// The screen's default 390 x 844 phone: a portrait-only page in the test's window, with a
// scrolled list, and a page that may turn in a window of its own over it.
class Orientation : public ScreenTest {
  protected:
    void SetUp() override {
        UIScreen::configureMainScreen(UIScreen::Metrics::modern());
        ScreenTest::SetUp();
        window->setRootViewController(portrait);
        list->setContentSize({390, 3000});
        portrait->view()->addSubview(list);
        list->setContentOffset({0, 1200});
        turningWindow->setRootViewController(turning);
        turningWindow->makeKeyAndVisible();
        settle();
        changes = NotificationCenter::defaultCenter().addObserver(
            UIApplicationDidChangeStatusBarOrientationNotification, [this](const auto&) { ++turns; });
    }

    void TearDown() override {
        UIApplication::sharedApplication()->setDelegate(nullptr);
        turningWindow->setRootViewController(nullptr);
        turningWindow->setHidden(true);
        ScreenTest::TearDown();
        UIScreen::configureMainScreen(UIScreen::Metrics::modern());
    }

    UIApplication& application() { return *UIApplication::sharedApplication(); }

    std::shared_ptr<Page> portrait =
        std::make_shared<Page>(UIInterfaceOrientationMaskPortrait, kPortraitColour);
    std::shared_ptr<Page> turning =
        std::make_shared<Page>(UIInterfaceOrientationMaskAllButUpsideDown, kTurningColour);
    std::shared_ptr<UIScrollView> list = std::make_shared<UIScrollView>(CGRectMake(0, 100, 390, 600));
    std::shared_ptr<UIWindow> turningWindow = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    NotificationCenter::ObserverToken changes;
    int turns = 0;
};

} // namespace

TEST_F(Orientation, TheScreenTurnsWithTheKeyWindowAndAPortraitPageKeepsItsLayout) {
    ASSERT_TRUE(application().requestGeometryUpdate(UIInterfaceOrientationMaskLandscape));
    settle(0.1);
    UIScreen& screen = UIScreen::mainScreen();
    EXPECT_EQ(screen.interfaceOrientation(), UIInterfaceOrientation::landscapeLeft);
    EXPECT_EQ(screen.bounds().size, (CGSize{844, 390}));
    EXPECT_EQ(application().statusBarFrame().size.height, 0) << "no status bar on a turned phone";
    EXPECT_EQ(turns, 1);

    // The turning window takes the screen, with the safe area of a turned notched phone.
    EXPECT_EQ(turningWindow->frame(), screen.bounds());
    EXPECT_EQ(turning->view()->frame(), turningWindow->bounds());
    EXPECT_EQ(turning->view()->safeAreaInsets(), (UIEdgeInsets{0, 47, 21, 47}));
    EXPECT_EQ(turning->sizes, (std::vector<CGSize>{{844, 390}}));
    EXPECT_TRUE(turningWindow->isOnScreen());
    const ScreenImage landscape;
    EXPECT_TRUE(similarColors(landscape.colorAt({800, 370}), kTurningColour))
        << "the turned window reaches the far corner of the landscape screen";

    // The portrait page is left as it was, off the screen.
    EXPECT_EQ(window->frame(), (CGRect{{0, 0}, {390, 844}}));
    EXPECT_FALSE(window->isOnScreen());
    EXPECT_TRUE(portrait->sizes.empty());
    EXPECT_EQ(list->contentOffset(), (CGPoint{0, 1200}));

    // Upright again: the turning window follows, the portrait page is back as it was.
    ASSERT_TRUE(application().requestGeometryUpdate(UIInterfaceOrientationMaskPortrait));
    settle(0.1);
    EXPECT_EQ(screen.bounds().size, (CGSize{390, 844}));
    EXPECT_EQ(turningWindow->frame(), screen.bounds());
    EXPECT_EQ(turning->view()->safeAreaInsets(), (UIEdgeInsets{47, 0, 34, 0}));
    EXPECT_EQ(turning->sizes.back(), (CGSize{390, 844}));
    EXPECT_TRUE(window->isOnScreen());
    EXPECT_EQ(list->contentOffset(), (CGPoint{0, 1200}));
    EXPECT_EQ(portrait->view()->safeAreaInsets(), (UIEdgeInsets{47, 0, 34, 0}));
    EXPECT_EQ(turns, 2);
}

TEST_F(Orientation, ARequestTheKeyWindowMayNotTakeLeavesTheScreenUpright) {
    // The key window's page is portrait only.
    turningWindow->setHidden(true);
    window->makeKeyWindow();
    EXPECT_FALSE(application().requestGeometryUpdate(UIInterfaceOrientationMaskLandscape));
    EXPECT_EQ(UIScreen::mainScreen().bounds().size, (CGSize{390, 844}));

    // The delegate's answer for the window narrows what its page allows.
    turningWindow->makeKeyAndVisible();
    application().setDelegate(std::make_shared<LimitingDelegate>());
    EXPECT_FALSE(application().requestGeometryUpdate(UIInterfaceOrientationMaskLandscapeRight));
    EXPECT_EQ(UIScreen::mainScreen().interfaceOrientation(), UIInterfaceOrientation::portrait);
    EXPECT_TRUE(application().requestGeometryUpdate(UIInterfaceOrientationMaskAll))
        << "portrait is among the orientations asked for";
    EXPECT_EQ(turns, 0);
    EXPECT_TRUE(turning->sizes.empty());
}

TEST_F(Orientation, AWindowOfAnotherSizeThanAskedForLaysTheScreenOutAtItsRealSize) {
    ASSERT_TRUE(application().requestGeometryUpdate(UIInterfaceOrientationMaskLandscapeRight));
    // The host's window got less than the turned screen's width.
    UIScreen::mainScreen().hostWindowDidResize({700, 390});
    settle(0.1);
    EXPECT_EQ(UIScreen::mainScreen().bounds().size, (CGSize{700, 390}));
    EXPECT_EQ(turningWindow->frame().size, (CGSize{700, 390}));
    EXPECT_EQ(turning->view()->frame().size, (CGSize{700, 390}));
    EXPECT_EQ(window->frame().size, (CGSize{390, 844})) << "the portrait page is not laid out again";
    const ScreenImage shown;
    EXPECT_TRUE(similarColors(shown.colorAt({690, 380}), kTurningColour));

    // Turning again asks for the screen's own size.
    ASSERT_TRUE(application().requestGeometryUpdate(UIInterfaceOrientationMaskPortrait));
    EXPECT_EQ(UIScreen::mainScreen().bounds().size, (CGSize{390, 844}));
    EXPECT_EQ(turningWindow->frame().size, (CGSize{390, 844}));
}

TEST(TabletOrientation, ATurnedTabletKeepsItsStatusBarAboveAndItsHomeIndicatorBelow) {
    UIScreen::configureMainScreen(UIScreen::Metrics::tablet());
    UIScreen& screen = UIScreen::mainScreen();
    screen.setInterfaceOrientation(UIInterfaceOrientation::landscapeLeft);
    EXPECT_EQ(screen.bounds().size, (CGSize{1366, 1024}));
    EXPECT_EQ(screen.statusBarHeight(), 24);
    EXPECT_EQ(screen.safeAreaInsets(), (UIEdgeInsets{24, 0, 20, 0}));
    screen.setInterfaceOrientation(UIInterfaceOrientation::portrait);
    EXPECT_EQ(screen.safeAreaInsets(), (UIEdgeInsets{24, 0, 20, 0}));
    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
}
