#include "platform/UIKit/Controls/ScrollPhysics.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "tests/platform/UIKit/Controls/TouchScript.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class EventLog : public UIScrollViewDelegate {
  public:
    void didScroll(UIScrollView&) override { ++scrolls; }
    void willBeginDragging(UIScrollView&) override { events.push_back("willBeginDragging"); }
    void didEndDragging(UIScrollView&, bool willDecelerate) override {
        events.push_back(willDecelerate ? "didEndDragging+decelerate" : "didEndDragging");
    }
    void willBeginDecelerating(UIScrollView&) override { events.push_back("willBeginDecelerating"); }
    void didEndDecelerating(UIScrollView&) override { events.push_back("didEndDecelerating"); }
    void didEndScrollingAnimation(UIScrollView&) override { events.push_back("didEndScrollingAnimation"); }
    std::vector<std::string> events;
    int scrolls = 0;
};

class ScrollViews : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 300, 600));
        window->makeKeyAndVisible();
        scrollView = std::make_shared<UIScrollView>(CGRectMake(0, 0, 300, 600));
        scrollView->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
        scrollView->setContentSize({300, 6000});
        window->addSubview(scrollView);
        log = std::make_shared<EventLog>();
        scrollView->setDelegate(log);
        window->layoutIfNeeded();
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIScrollView> scrollView;
    std::shared_ptr<EventLog> log;
};

} // namespace

TEST(ScrollPhysics, MomentumComesToRestWhereProjectedAndSlowsDownOnTheWay) {
    scrollphysics::AxisMotion motion;
    const scrollphysics::Range range{0, 100000};
    motion.startMomentum(0, 3000, scrollphysics::kNormalDecelerationRate, range, true);
    double previousStep = 1e9;
    double position = 0;
    int frames = 0;
    while (motion.isActive() && frames < 6000) {
        const double next = motion.step(1.0 / 60);
        EXPECT_LE(next - position, previousStep + 1e-9);
        previousStep = next - position;
        position = next;
        ++frames;
    }
    EXPECT_FALSE(motion.isActive());
    const double projected =
        scrollphysics::projectedRestingPosition(0, 3000, scrollphysics::kNormalDecelerationRate);
    EXPECT_NEAR(position, projected, 5);
    EXPECT_LT(frames, 60 * 5);
}

TEST(ScrollPhysics, MomentumPastAnEdgeBouncesBackOntoItOrStopsThereWithoutBounce) {
    const scrollphysics::Range range{0, 500};
    scrollphysics::AxisMotion bouncing;
    bouncing.startMomentum(400, 4000, scrollphysics::kNormalDecelerationRate, range, true);
    double furthest = 0;
    for (int i = 0; i < 600 && bouncing.isActive(); ++i) {
        furthest = std::max(furthest, bouncing.step(1.0 / 60));
    }
    EXPECT_GT(furthest, 500) << "the content overshoots the edge";
    EXPECT_LT(furthest, 600);
    EXPECT_FALSE(bouncing.isActive());
    EXPECT_EQ(bouncing.position(), 500);

    scrollphysics::AxisMotion stopping;
    stopping.startMomentum(400, 4000, scrollphysics::kNormalDecelerationRate, range, false);
    for (int i = 0; i < 600 && stopping.isActive(); ++i) {
        EXPECT_LE(stopping.step(1.0 / 60), 500);
    }
    EXPECT_EQ(stopping.position(), 500);
}

TEST(ScrollPhysics, RubberBandResistsMoreTheFurtherItIsPulledAndInvertsExactly) {
    double previous = 0;
    for (double pull = 10; pull <= 1000; pull += 10) {
        const double shown = scrollphysics::rubberBand(pull, 600);
        EXPECT_GT(shown, previous);
        EXPECT_LT(shown, pull);
        EXPECT_LT(shown, 600);
        EXPECT_NEAR(scrollphysics::rubberBandInverse(shown, 600), pull, 1e-6);
        previous = shown;
    }
    EXPECT_LT(scrollphysics::rubberBand(-50, 600), 0);
}

TEST(ScrollPhysics, PageTargetsFollowPositionOrFlingDirection) {
    const scrollphysics::Range range{0, 1200}; // five pages of 300
    EXPECT_EQ(scrollphysics::pageTarget(100, 0, 300, range), 0);
    EXPECT_EQ(scrollphysics::pageTarget(160, 0, 300, range), 300);
    EXPECT_EQ(scrollphysics::pageTarget(40, 800, 300, range), 300) << "a fling moves on a page";
    EXPECT_EQ(scrollphysics::pageTarget(300, 800, 300, range), 600);
    EXPECT_EQ(scrollphysics::pageTarget(590, -800, 300, range), 300);
    EXPECT_EQ(scrollphysics::pageTarget(1190, 5000, 300, range), 1200) << "never past the last page";
    EXPECT_EQ(scrollphysics::pageTarget(-40, -5000, 300, range), 0);
}

TEST_F(ScrollViews, AFlingDeceleratesAndStopsWithTheDelegateToldInOrder) {
    TouchScript(*window).drag({150, 500}, {0, -300}, 0.15);
    EXPECT_TRUE(scrollView->isDecelerating());
    EXPECT_FALSE(scrollView->isDragging());
    const double released = scrollView->contentOffset().y;
    EXPECT_NEAR(released, 290, 12) << "the content followed the finger (less the pan's start distance)";

    std::vector<double> offsets;
    for (int i = 0; i < 60; ++i) {
        RunLoop::main().advance(1.0 / 60);
        offsets.push_back(scrollView->contentOffset().y);
    }
    EXPECT_GT(offsets.front(), released);
    EXPECT_GT(offsets[10] - offsets[9], offsets[40] - offsets[39]) << "the content slows down";
    RunLoop::main().advance(10);
    EXPECT_FALSE(scrollView->isDecelerating());
    EXPECT_FALSE(scrollView->isScrollAnimating());
    const double rest = scrollView->contentOffset().y;
    EXPECT_GT(rest, offsets.back());
    RunLoop::main().advance(1);
    EXPECT_EQ(scrollView->contentOffset().y, rest) << "nothing moves once at rest";
    EXPECT_EQ(log->events, (std::vector<std::string>{"willBeginDragging", "didEndDragging+decelerate",
                                                     "willBeginDecelerating", "didEndDecelerating"}));
    EXPECT_GT(log->scrolls, 30);
}

TEST_F(ScrollViews, ASlowReleaseDoesNotDecelerate) {
    TouchScript(*window).drag({150, 500}, {0, -200}, 0.5, 0.2);
    EXPECT_FALSE(scrollView->isDecelerating());
    EXPECT_EQ(log->events, (std::vector<std::string>{"willBeginDragging", "didEndDragging"}));
    const double offset = scrollView->contentOffset().y;
    RunLoop::main().advance(1);
    EXPECT_EQ(scrollView->contentOffset().y, offset);
}

TEST_F(ScrollViews, PullingPastTheTopResistsAndBouncesBackToTheEdge) {
    scrollView->setContentInset({20, 0, 0, 0});
    scrollView->setContentOffset({0, -20});
    TouchScript(*window).drag({150, 100}, {0, 300}, 0.5, 0.2);
    const double pulled = -20 - scrollView->contentOffset().y;
    EXPECT_GT(pulled, 50);
    EXPECT_LT(pulled, 250) << "the content follows the finger only part of the way";
    EXPECT_TRUE(scrollView->isDecelerating()) << "a bounce back follows even without velocity";
    RunLoop::main().advance(2);
    EXPECT_EQ(scrollView->contentOffset().y, -20);
    EXPECT_EQ(log->events.back(), "didEndDecelerating");
}

TEST_F(ScrollViews, WithoutBouncesTheContentStopsAtItsEdges) {
    scrollView->setBounces(false);
    TouchScript(*window).drag({150, 100}, {0, 300}, 0.5);
    EXPECT_EQ(scrollView->contentOffset().y, 0);
    scrollView->setContentOffset({0, 5300});
    TouchScript(*window).drag({150, 500}, {0, -400}, 0.1);
    RunLoop::main().advance(3);
    EXPECT_EQ(scrollView->contentOffset().y, 5400);
}

TEST_F(ScrollViews, PagingSnapsToWholePages) {
    scrollView->setPagingEnabled(true);
    TouchScript(*window).drag({150, 500}, {0, -200}, 0.6, 0.2);
    RunLoop::main().advance(2);
    EXPECT_EQ(scrollView->contentOffset().y, 0) << "less than half a page slowly: back";

    TouchScript(*window).drag({150, 500}, {0, -400}, 0.6, 0.2);
    RunLoop::main().advance(2);
    EXPECT_EQ(scrollView->contentOffset().y, 600) << "more than half a page: on";

    TouchScript(*window).drag({150, 500}, {0, -60}, 0.05);
    RunLoop::main().advance(2);
    EXPECT_EQ(scrollView->contentOffset().y, 1200) << "a short quick flick: the next page";
    EXPECT_EQ(log->events.back(), "didEndDecelerating");
}

TEST_F(ScrollViews, ProgrammaticScrollsJumpOrAnimateAndTellWhenDone) {
    scrollView->setContentOffset({0, 1000}, false);
    EXPECT_EQ(scrollView->contentOffset().y, 1000);
    EXPECT_TRUE(log->events.empty());

    scrollView->setContentOffset({0, 2000}, true);
    RunLoop::main().advance(0.15);
    const double midway = scrollView->contentOffset().y;
    EXPECT_GT(midway, 1000);
    EXPECT_LT(midway, 2000);
    RunLoop::main().advance(0.3);
    EXPECT_EQ(scrollView->contentOffset().y, 2000);
    EXPECT_EQ(log->events, std::vector<std::string>{"didEndScrollingAnimation"});

    scrollView->scrollRectToVisible(CGRectMake(0, 100, 300, 50), false);
    EXPECT_EQ(scrollView->contentOffset().y, 100);
    scrollView->scrollRectToVisible(CGRectMake(0, 900, 300, 50), false);
    EXPECT_EQ(scrollView->contentOffset().y, 350) << "scrolled just enough to show the rectangle's bottom";
}

TEST_F(ScrollViews, ATouchCatchesMovingContent) {
    TouchScript(*window).drag({150, 500}, {0, -300}, 0.15);
    RunLoop::main().advance(0.1);
    ASSERT_TRUE(scrollView->isDecelerating());
    window->handleTouch(UITouchPhase::began, {150, 300}, RunLoop::main().now());
    const double caught = scrollView->contentOffset().y;
    EXPECT_FALSE(scrollView->isDecelerating());
    RunLoop::main().advance(0.5);
    EXPECT_EQ(scrollView->contentOffset().y, caught);
    window->handleTouch(UITouchPhase::ended, {150, 300}, RunLoop::main().now());
}

TEST_F(ScrollViews, AVerticalScrollViewLeavesSidewaysDragsToTheOneAroundIt) {
    auto outer = std::make_shared<UIScrollView>(CGRectMake(0, 0, 300, 600));
    outer->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    outer->setContentSize({900, 600});
    outer->setPagingEnabled(true);
    scrollView->removeFromSuperview();
    window->addSubview(outer);
    outer->addSubview(scrollView);
    window->layoutIfNeeded();

    TouchScript(*window).drag({150, 500}, {0, -200}, 0.6, 0.2);
    EXPECT_EQ(outer->contentOffset().y, 0);
    EXPECT_GT(scrollView->contentOffset().y, 150) << "up and down moves the inner list";

    TouchScript(*window).drag({250, 300}, {-200, 0}, 0.6, 0.2);
    RunLoop::main().advance(2);
    EXPECT_EQ(outer->contentOffset().x, 300) << "sideways moves the outer pages";
    EXPECT_EQ(scrollView->contentOffset().x, 0);
}

TEST_F(ScrollViews, TheWheelScrollsWithinTheContentAndPagesOnePageAtATime) {
    EXPECT_TRUE(window->handleScroll({150, 300}, 0, 120));
    EXPECT_EQ(scrollView->contentOffset().y, 120);
    EXPECT_TRUE(window->handleScroll({150, 300}, 0, -500));
    EXPECT_EQ(scrollView->contentOffset().y, 0) << "never past the edge";
    EXPECT_FALSE(window->handleScroll({150, 300}, 80, 0)) << "the content does not move sideways";

    scrollView->setPagingEnabled(true);
    window->handleScroll({150, 300}, 0, 3);
    RunLoop::main().advance(1);
    EXPECT_EQ(scrollView->contentOffset().y, 600);
}

TEST_F(ScrollViews, TheSafeAreaIsAddedToTheInsetsAsTheAdjustmentBehaviourSays) {
    UIScreen::configureMainScreen(UIScreen::Metrics::modern());
    auto fullScreen = std::make_shared<UIWindow>();
    fullScreen->makeKeyAndVisible();
    auto list = std::make_shared<UIScrollView>(fullScreen->bounds());
    list->setContentSize({390, 3000});
    list->setContentInset({10, 0, 0, 0});
    fullScreen->addSubview(list);
    fullScreen->layoutIfNeeded();
    EXPECT_EQ(list->adjustedContentInset(), (UIEdgeInsets{57, 0, 34, 0}));
    EXPECT_EQ(list->contentOffset().y, -57) << "resting at the top, the content stays at the top";
    EXPECT_EQ(list->verticalOffsetRange().max, 3000 + 34 - 844);

    list->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    EXPECT_EQ(list->adjustedContentInset(), (UIEdgeInsets{10, 0, 0, 0}));
    EXPECT_EQ(list->contentOffset().y, -10);
}
