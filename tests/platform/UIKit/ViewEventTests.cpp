#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UILongPressGestureRecognizer.h"
#include "platform/UIKit/UIPanGestureRecognizer.h"
#include "platform/UIKit/UITapGestureRecognizer.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class ViewEvents : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 300, 300));
        window->makeKeyAndVisible();
    }

    void tap(CGPoint point) {
        window->handleTouch(UITouchPhase::began, point, RunLoop::main().now());
        window->handleTouch(UITouchPhase::ended, point, RunLoop::main().now());
    }

    std::shared_ptr<UIView> add(const CGRect& frame, const std::shared_ptr<UIView>& parent = nullptr) {
        auto view = std::make_shared<UIView>(frame);
        (parent ? parent : std::static_pointer_cast<UIView>(window))->addSubview(view);
        return view;
    }

    std::shared_ptr<UIWindow> window;
};

// Records the touches a view receives.
class TouchRecorder : public UIView {
  public:
    using UIView::UIView;
    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>&, UIEvent*) override {
        events.push_back("began");
    }
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>&, UIEvent*) override {
        events.push_back("moved");
    }
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>&, UIEvent*) override {
        events.push_back("ended");
    }
    void touchesCancelled(const std::vector<std::shared_ptr<UITouch>>&, UIEvent*) override {
        events.push_back("cancelled");
    }
    std::vector<std::string> events;
};

class Field : public UIView {
  public:
    using UIView::UIView;
    bool canBecomeFirstResponder() const override { return true; }
    bool acceptsTextInput() const override { return true; }
    void insertText(const std::string& text) override { typed += text; }
    std::string typed;
};

} // namespace

TEST_F(ViewEvents, HitTestingSkipsHiddenTransparentAndInertViewsAndClipsToBounds) {
    auto card = add(CGRectMake(10, 10, 100, 100));
    auto child = add(CGRectMake(20, 20, 20, 20), card);
    auto overflowing = add(CGRectMake(90, 90, 50, 50), card);
    EXPECT_EQ(window->hitTest({35, 35}, nullptr), child);
    EXPECT_EQ(window->hitTest({60, 60}, nullptr), card);
    EXPECT_EQ(window->hitTest({105, 105}, nullptr), overflowing);
    EXPECT_EQ(window->hitTest({130, 130}, nullptr), window) << "outside the card, its subviews are not hit";

    child->setHidden(true);
    EXPECT_EQ(window->hitTest({35, 35}, nullptr), card);
    child->setHidden(false);
    child->setAlpha(0.005);
    EXPECT_EQ(window->hitTest({35, 35}, nullptr), card);
    child->setAlpha(1);
    card->setUserInteractionEnabled(false);
    EXPECT_EQ(window->hitTest({35, 35}, nullptr), window);
}

TEST_F(ViewEvents, HitTestingFollowsTransformsAndScrollOffsets) {
    auto moved = add(CGRectMake(0, 0, 100, 100));
    moved->setTransform(CGAffineTransformMakeTranslation(100, 0));
    EXPECT_EQ(window->hitTest({150, 50}, nullptr), moved);
    EXPECT_EQ(window->hitTest({50, 50}, nullptr), window);

    auto scroller = add(CGRectMake(0, 150, 100, 100));
    auto content = add(CGRectMake(0, 200, 100, 50), scroller);
    scroller->setBounds(CGRectMake(0, 200, 100, 100));
    EXPECT_EQ(window->hitTest({50, 170}, nullptr), content) << "content scrolled into view";
}

TEST_F(ViewEvents, TouchesReachTheViewUnderTheFinger) {
    auto recorder = std::make_shared<TouchRecorder>(CGRectMake(0, 0, 100, 100));
    window->addSubview(recorder);
    window->handleTouch(UITouchPhase::began, {10, 10}, 0);
    window->handleTouch(UITouchPhase::moved, {20, 10}, 0.01);
    window->handleTouch(UITouchPhase::ended, {20, 10}, 0.02);
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"began", "moved", "ended"}));
}

TEST_F(ViewEvents, TapRecognizerFiresAndCancelsTheViewsTouches) {
    auto recorder = std::make_shared<TouchRecorder>(CGRectMake(0, 0, 100, 100));
    window->addSubview(recorder);
    int taps = 0;
    auto recognizer = std::make_shared<UITapGestureRecognizer>([&](UIGestureRecognizer& r) {
        EXPECT_EQ(r.state(), UIGestureRecognizerStateRecognized);
        ++taps;
    });
    recorder->addGestureRecognizer(recognizer);
    tap({50, 50});
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"began", "cancelled"}));

    // A touch that wanders off is no tap.
    window->handleTouch(UITouchPhase::began, {50, 50}, 1);
    window->handleTouch(UITouchPhase::moved, {80, 50}, 1.1);
    window->handleTouch(UITouchPhase::ended, {80, 50}, 1.2);
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(recognizer->state(), UIGestureRecognizerState::possible) << "ready for the next touch";
}

TEST_F(ViewEvents, DoubleTapNeedsTwoQuickTaps) {
    auto view = add(CGRectMake(0, 0, 100, 100));
    int doubles = 0;
    auto recognizer = std::make_shared<UITapGestureRecognizer>([&](UIGestureRecognizer&) { ++doubles; });
    recognizer->numberOfTapsRequired = 2;
    view->addGestureRecognizer(recognizer);
    tap({50, 50});
    RunLoop::main().advance(0.1);
    tap({52, 50});
    EXPECT_EQ(doubles, 1);
    tap({50, 50});
    RunLoop::main().advance(0.5);
    tap({50, 50});
    EXPECT_EQ(doubles, 1) << "too slow";
}

TEST_F(ViewEvents, LongPressBeginsAfterTheMinimumDuration) {
    auto view = add(CGRectMake(0, 0, 100, 100));
    std::vector<UIGestureRecognizerState> states;
    auto recognizer = std::make_shared<UILongPressGestureRecognizer>(
        [&](UIGestureRecognizer& r) { states.push_back(r.state()); });
    view->addGestureRecognizer(recognizer);
    window->handleTouch(UITouchPhase::began, {50, 50}, RunLoop::main().now());
    RunLoop::main().advance(0.4);
    EXPECT_TRUE(states.empty());
    RunLoop::main().advance(0.1);
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0], UIGestureRecognizerState::began);
    window->handleTouch(UITouchPhase::moved, {60, 50}, RunLoop::main().now());
    window->handleTouch(UITouchPhase::ended, {60, 50}, RunLoop::main().now());
    EXPECT_EQ(states, (std::vector<UIGestureRecognizerState>{UIGestureRecognizerState::began,
                                                             UIGestureRecognizerState::changed,
                                                             UIGestureRecognizerState::ended}));
    // A short press is not a long press.
    states.clear();
    tap({50, 50});
    RunLoop::main().advance(1);
    EXPECT_TRUE(states.empty());
}

TEST_F(ViewEvents, PanReportsTranslationAndVelocity) {
    auto view = add(CGRectMake(0, 0, 300, 300));
    CGPoint lastTranslation;
    CGPoint endVelocity;
    std::vector<UIGestureRecognizerState> states;
    auto pan = std::make_shared<UIPanGestureRecognizer>([&](UIGestureRecognizer& r) {
        auto& recognizer = static_cast<UIPanGestureRecognizer&>(r);
        states.push_back(r.state());
        lastTranslation = recognizer.translationInView(view.get());
        if (r.state() == UIGestureRecognizerState::ended) {
            endVelocity = recognizer.velocityInView(view.get());
        }
    });
    view->addGestureRecognizer(pan);
    window->handleTouch(UITouchPhase::began, {100, 100}, 0);
    window->handleTouch(UITouchPhase::moved, {104, 100}, 0.01);
    EXPECT_TRUE(states.empty()) << "not yet past the threshold";
    for (int i = 1; i <= 10; ++i) {
        window->handleTouch(UITouchPhase::moved, {104.0 + i * 10, 100 + i * 5.0}, 0.01 + i * 0.01);
    }
    window->handleTouch(UITouchPhase::ended, {204, 150}, 0.11);
    EXPECT_EQ(states.front(), UIGestureRecognizerState::began);
    EXPECT_EQ(states.back(), UIGestureRecognizerState::ended);
    EXPECT_DOUBLE_EQ(lastTranslation.x, 104);
    EXPECT_DOUBLE_EQ(lastTranslation.y, 50);
    EXPECT_NEAR(endVelocity.x, 1000, 1);
    EXPECT_NEAR(endVelocity.y, 500, 1);
}

TEST_F(ViewEvents, ControlsSendTheirEventsAndWinOverTapsOfTheirSuperviews) {
    auto card = add(CGRectMake(0, 0, 200, 200));
    int cardTaps = 0;
    card->addGestureRecognizer(
        std::make_shared<UITapGestureRecognizer>([&](UIGestureRecognizer&) { ++cardTaps; }));
    auto button = std::make_shared<UIControl>(CGRectMake(10, 10, 50, 30));
    card->addSubview(button);
    std::vector<std::string> events;
    button->addTarget([&](UIControl&) { events.push_back("down"); }, UIControlEventTouchDown);
    button->addTarget([&](UIControl&) { events.push_back("up inside"); }, UIControlEventTouchUpInside);
    button->addTarget([&](UIControl&) { events.push_back("up outside"); }, UIControlEventTouchUpOutside);
    tap({20, 20});
    EXPECT_EQ(events, (std::vector<std::string>{"down", "up inside"}));
    EXPECT_EQ(cardTaps, 0);
    EXPECT_FALSE(button->isHighlighted());

    events.clear();
    window->handleTouch(UITouchPhase::began, {20, 20}, 0);
    EXPECT_TRUE(button->isHighlighted());
    window->handleTouch(UITouchPhase::moved, {190, 190}, 0.1);
    window->handleTouch(UITouchPhase::ended, {190, 190}, 0.2);
    EXPECT_EQ(events, (std::vector<std::string>{"down", "up outside"}));

    // A disabled control lets the touch through to the card.
    button->setEnabled(false);
    events.clear();
    tap({20, 20});
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(cardTaps, 1);
}

TEST_F(ViewEvents, FirstResponderReceivesTextUntilEditingEnds) {
    auto form = add(CGRectMake(0, 0, 300, 300));
    auto field = std::make_shared<Field>(CGRectMake(0, 0, 100, 30));
    form->addSubview(field);
    EXPECT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(field->isFirstResponder());
    window->handleTextInput("你好");
    window->handleTextInput("!");
    EXPECT_EQ(field->typed, "你好!");
    EXPECT_TRUE(form->endEditing(true));
    EXPECT_FALSE(field->isFirstResponder());
    window->handleTextInput("lost");
    EXPECT_EQ(field->typed, "你好!");

    field->becomeFirstResponder();
    field->removeFromSuperview();
    EXPECT_FALSE(field->isFirstResponder()) << "leaving the window resigns";
    EXPECT_FALSE(window->becomeFirstResponder()) << "plain views cannot";
}

TEST_F(ViewEvents, ScrollGoesToTheInnermostViewThatTakesIt) {
    class Scroller : public UIView {
      public:
        using UIView::UIView;
        bool scrollWheel(CGFloat, CGFloat deltaY) override {
            scrolled += deltaY;
            return true;
        }
        CGFloat scrolled = 0;
    };
    auto scroller = std::make_shared<Scroller>(CGRectMake(0, 0, 200, 200));
    window->addSubview(scroller);
    auto row = add(CGRectMake(0, 0, 200, 44), scroller);
    EXPECT_TRUE(window->handleScroll({10, 10}, 0, -30));
    EXPECT_DOUBLE_EQ(scroller->scrolled, -30);
    EXPECT_FALSE(window->handleScroll({250, 250}, 0, 10));
}
