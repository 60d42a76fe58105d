#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/UISwipeGestureRecognizer.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class SwipeGestures : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 300, 600));
        window->makeKeyAndVisible();
        view = std::make_shared<UIView>(CGRectMake(0, 0, 300, 600));
        window->addSubview(view);
        swipe = std::make_shared<UISwipeGestureRecognizer>([this](UIGestureRecognizer&) { ++swipes; });
        swipe->direction = UISwipeGestureRecognizerDirectionLeft;
        view->addGestureRecognizer(swipe);
    }

    // A stroke from `from` by `by`, in `steps` moves over `seconds`.
    void stroke(CGPoint from, CGPoint by, double seconds, int steps = 10) {
        double time = RunLoop::main().now();
        window->handleTouch(UITouchPhase::began, from, time);
        for (int i = 1; i <= steps; ++i) {
            window->handleTouch(UITouchPhase::moved, {from.x + by.x * i / steps, from.y + by.y * i / steps},
                                time + seconds * i / steps);
        }
        window->handleTouch(UITouchPhase::ended, {from.x + by.x, from.y + by.y}, time + seconds);
        RunLoop::main().advance(1);
    }

    std::shared_ptr<UIWindow> window;
    std::shared_ptr<UIView> view;
    std::shared_ptr<UISwipeGestureRecognizer> swipe;
    int swipes = 0;
};

TEST_F(SwipeGestures, OnlyQuickStrokesMostlyInItsDirectionCount) {
    stroke({250, 300}, {-120, 10}, 0.2);
    EXPECT_EQ(swipes, 1) << "a quick stroke to the left";
    stroke({50, 300}, {120, 0}, 0.2);
    EXPECT_EQ(swipes, 1) << "to the right";
    stroke({250, 300}, {-40, 0}, 0.2);
    EXPECT_EQ(swipes, 1) << "too short";
    stroke({250, 300}, {-80, 60}, 0.2);
    EXPECT_EQ(swipes, 1) << "too far across";
    stroke({250, 300}, {-120, 0}, 1.5, 30);
    EXPECT_EQ(swipes, 1) << "too slow: a drag";

    swipe->direction = UISwipeGestureRecognizerDirectionUp | UISwipeGestureRecognizerDirectionLeft;
    stroke({150, 500}, {0, -150}, 0.2);
    EXPECT_EQ(swipes, 2) << "either direction of several";
}

TEST_F(SwipeGestures, AVerticalListScrollsWhileASidewaysSwipeAboveItIsRecognized) {
    auto list = std::make_shared<UIScrollView>(CGRectMake(0, 0, 300, 600));
    list->setContentSize({300, 2400});
    list->setPagingEnabled(true);
    view->addSubview(list);

    stroke({150, 450}, {0, -300}, 0.2);
    EXPECT_EQ(swipes, 0) << "an upward stroke is the list's";
    EXPECT_GT(list->contentOffset().y, 0);

    const double offset = list->contentOffset().y;
    stroke({250, 300}, {-150, 5}, 0.2);
    EXPECT_EQ(swipes, 1) << "a sideways stroke over the list";
    EXPECT_DOUBLE_EQ(list->contentOffset().y, offset) << "the list did not move";
}

} // namespace
