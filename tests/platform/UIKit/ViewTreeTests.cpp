#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIControl.h"
#include "platform/UIKit/UILabel.h"
#include "platform/UIKit/UIPanGestureRecognizer.h"
#include "platform/UIKit/UITapGestureRecognizer.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

std::vector<CALayer*> sublayerOrder(const UIView& view) {
    std::vector<CALayer*> order;
    for (const auto& layer : view.layer()->sublayers()) {
        order.push_back(layer.get());
    }
    return order;
}

class TintWatcher : public UIView {
  public:
    using UIView::UIView;
    int changes = 0;

  protected:
    void tintColorDidChange() override { ++changes; }
};

} // namespace

TEST(ViewTree, SubviewOrderAndLayerOrderStayTogether) {
    auto root = std::make_shared<UIView>();
    auto a = std::make_shared<UIView>();
    auto b = std::make_shared<UIView>();
    auto c = std::make_shared<UIView>();
    root->addSubview(a);
    root->addSubview(c);
    auto decoration = CALayer::layer();
    root->layer()->insertSublayer(decoration, 0);
    root->insertSubviewBelow(b, c);
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<UIView>>{a, b, c}));
    EXPECT_EQ(sublayerOrder(*root), (std::vector<CALayer*>{decoration.get(), a->layer().get(),
                                                           b->layer().get(), c->layer().get()}));
    root->bringSubviewToFront(a);
    EXPECT_EQ(root->subviews(), (std::vector<std::shared_ptr<UIView>>{b, c, a}));
    EXPECT_EQ(sublayerOrder(*root).back(), a->layer().get());
    root->sendSubviewToBack(a);
    EXPECT_EQ(root->subviews().front(), a);
    EXPECT_EQ(sublayerOrder(*root)[1], a->layer().get()) << "still above the decoration";

    // Moving a view to another parent takes it out of the first.
    auto other = std::make_shared<UIView>();
    other->addSubview(b);
    EXPECT_EQ(root->subviews().size(), 2u);
    EXPECT_EQ(b->superview(), other);
    EXPECT_EQ(b->layer()->superlayer(), other->layer());
    // A view cannot become its own ancestor.
    b->addSubview(other);
    EXPECT_TRUE(b->subviews().empty());
}

TEST(ViewTree, TintIsInheritedUntilAViewSetsItsOwn) {
    auto root = std::make_shared<UIView>();
    auto child = std::make_shared<TintWatcher>();
    auto grandchild = std::make_shared<TintWatcher>();
    root->addSubview(child);
    child->addSubview(grandchild);
    root->setTintColor(UIColor::redColor());
    EXPECT_EQ(grandchild->tintColor(), UIColor::redColor());
    EXPECT_EQ(grandchild->changes, 1);
    child->setTintColor(UIColor::greenColor());
    EXPECT_EQ(grandchild->tintColor(), UIColor::greenColor());
    EXPECT_EQ(grandchild->changes, 2);
    root->setTintColor(UIColor::blueColor());
    EXPECT_EQ(grandchild->changes, 2) << "its parent's own tint shields it";
    grandchild->removeFromSuperview();
    EXPECT_EQ(grandchild->tintColor(), UIColor::colorWithRed(0, 122 / 255.0, 1, 1));
    EXPECT_EQ(grandchild->changes, 3);
}

TEST(ViewTree, WindowsStartHiddenAndStackByLevel) {
    auto window = std::make_shared<UIWindow>();
    EXPECT_TRUE(window->isHidden());
    EXPECT_EQ(window->hitTest({10, 10}, nullptr), nullptr) << "a hidden window takes no touches";
    window->makeKeyAndVisible();
    EXPECT_TRUE(window->isKeyWindow());
    auto alert = std::make_shared<UIWindow>();
    alert->setWindowLevel(UIWindowLevelAlert);
    alert->makeKeyAndVisible();
    auto shown = UIWindow::windows();
    ASSERT_GE(shown.size(), 2u);
    EXPECT_EQ(shown.back(), alert);
    EXPECT_FALSE(window->isKeyWindow());
    alert->setHidden(true);
    EXPECT_NE(UIWindow::windows().back(), alert);
}

TEST(ViewTree, TagsAndLabelsIdentifyViews) {
    auto root = std::make_shared<UIView>();
    auto label = std::make_shared<UILabel>();
    label->setTag(7);
    label->setText("确定");
    root->addSubview(label);
    EXPECT_EQ(root->viewWithTag(7), label);
    EXPECT_EQ(root->viewWithTag(8), nullptr);
    EXPECT_EQ(label->accessibilityLabel(), "确定");
    label->setAccessibilityLabel("OK button");
    EXPECT_EQ(label->accessibilityLabel(), "OK button");
    label->sizeToFit();
    EXPECT_EQ(label->bounds().size, label->intrinsicContentSize());
    EXPECT_GT(label->bounds().size.width, 20);
}

TEST(ViewTree, LabelsMeasureWrappedTextAtTheirPreferredWidth) {
    auto label = std::make_shared<UILabel>();
    label->setNumberOfLines(0);
    label->setText("一二三四五六七八九十一二三四五六七八九十");
    const CGSize single = label->intrinsicContentSize();
    label->setPreferredMaxLayoutWidth(100);
    const CGSize wrapped = label->intrinsicContentSize();
    EXPECT_LE(wrapped.width, 100);
    EXPECT_GT(wrapped.height, single.height * 2);
    const CGSize fitted = label->sizeThatFits({60, 1000});
    EXPECT_LE(fitted.width, 60);
    EXPECT_GT(fitted.height, wrapped.height);
}

class ViewInput : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 300, 300));
        window->makeKeyAndVisible();
    }
    std::shared_ptr<UIWindow> window;
};

TEST_F(ViewInput, ControlsReportDraggingOutAndBackIn) {
    auto control = std::make_shared<UIControl>(CGRectMake(100, 100, 40, 40));
    window->addSubview(control);
    std::vector<std::string> events;
    control->addTarget([&](UIControl&) { events.push_back("exit"); }, UIControlEventTouchDragExit);
    control->addTarget([&](UIControl&) { events.push_back("enter"); }, UIControlEventTouchDragEnter);
    const auto id =
        control->addTarget([&](UIControl&) { events.push_back("inside"); }, UIControlEventTouchUpInside);
    window->handleTouch(UITouchPhase::began, {120, 120}, 0);
    window->handleTouch(UITouchPhase::moved, {160, 120}, 0.1);
    EXPECT_TRUE(events.empty()) << "within the slop around the control";
    window->handleTouch(UITouchPhase::moved, {260, 120}, 0.2);
    EXPECT_FALSE(control->isHighlighted());
    window->handleTouch(UITouchPhase::moved, {125, 120}, 0.3);
    EXPECT_TRUE(control->isHighlighted());
    window->handleTouch(UITouchPhase::ended, {125, 120}, 0.4);
    EXPECT_EQ(events, (std::vector<std::string>{"exit", "enter", "inside"}));
    control->removeTarget(id);
    EXPECT_FALSE(control->hasTargetForControlEvents(UIControlEventTouchUpInside));
}

TEST_F(ViewInput, DelegatesVetoOrShareRecognition) {
    class Vetoing : public UIGestureRecognizerDelegate {
      public:
        bool gestureRecognizerShouldBegin(UIGestureRecognizer&) override { return allow; }
        bool shouldRecognizeSimultaneouslyWith(UIGestureRecognizer&, UIGestureRecognizer&) override {
            return true;
        }
        bool allow = false;
    };
    auto area = std::make_shared<UIView>(CGRectMake(0, 0, 300, 300));
    window->addSubview(area);
    int taps = 0;
    int pans = 0;
    auto tap = std::make_shared<UITapGestureRecognizer>([&](UIGestureRecognizer&) { ++taps; });
    auto delegate = std::make_shared<Vetoing>();
    tap->delegate = delegate;
    area->addGestureRecognizer(tap);
    window->handleTouch(UITouchPhase::began, {50, 50}, 0);
    window->handleTouch(UITouchPhase::ended, {50, 50}, 0.05);
    EXPECT_EQ(taps, 0) << "vetoed";
    delegate->allow = true;
    window->handleTouch(UITouchPhase::began, {50, 50}, 1);
    window->handleTouch(UITouchPhase::ended, {50, 50}, 1.05);
    EXPECT_EQ(taps, 1);

    // Two pans on nested views both follow one drag when their delegate lets them.
    auto inner = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
    area->addSubview(inner);
    auto outerPan = std::make_shared<UIPanGestureRecognizer>([&](UIGestureRecognizer&) { ++pans; });
    auto innerPan = std::make_shared<UIPanGestureRecognizer>([&](UIGestureRecognizer&) { ++pans; });
    innerPan->delegate = delegate;
    area->addGestureRecognizer(outerPan);
    inner->addGestureRecognizer(innerPan);
    window->handleTouch(UITouchPhase::began, {50, 50}, 2);
    window->handleTouch(UITouchPhase::moved, {50, 80}, 2.1);
    window->handleTouch(UITouchPhase::ended, {50, 80}, 2.2);
    EXPECT_EQ(pans, 4) << "began and ended, twice";

    // Without the delegate, the innermost pan wins and the outer one fails.
    pans = 0;
    innerPan->delegate.reset();
    window->handleTouch(UITouchPhase::began, {50, 50}, 3);
    window->handleTouch(UITouchPhase::moved, {50, 80}, 3.1);
    window->handleTouch(UITouchPhase::ended, {50, 80}, 3.2);
    EXPECT_EQ(pans, 2);
    EXPECT_EQ(outerPan->state(), UIGestureRecognizerState::possible) << "reset for the next touch";
}
