#include "app/Extensions/AZGradientView.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/UIWindow.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace UIViewFrame;

TEST(ViewFrame, AccessorsWriteOnePartAndKeepTheRest) {
    UIView view(CGRectMake(10, 20, 100, 50));
    EXPECT_EQ(right(view), 110);
    EXPECT_EQ(bottom(view), 70);
    setRight(view, 200);
    EXPECT_EQ(view.frame(), CGRectMake(100, 20, 100, 50));
    setBottom(view, 100);
    EXPECT_EQ(view.frame(), CGRectMake(100, 50, 100, 50));
    setCenterX(view, 0);
    EXPECT_EQ(left(view), -50);
    setSize(view, {10, 10});
    EXPECT_EQ(view.frame(), CGRectMake(-50, 50, 10, 10));
    setOrigin(view, {1, 2});
    setWidth(view, 3);
    setHeight(view, 4);
    EXPECT_EQ(view.frame(), CGRectMake(1, 2, 3, 4));
    EXPECT_EQ(centerY(view), 4);
}

TEST(ViewFrame, MaxRightOnlyNarrowsAViewThatCrossesIt) {
    UIView crossing(CGRectMake(10, 0, 100, 10));
    setMaxRight(crossing, 60);
    EXPECT_EQ(width(crossing), 50);
    UIView beyond(CGRectMake(70, 0, 100, 10));
    setMaxRight(beyond, 60);
    EXPECT_EQ(width(beyond), 100);
    UIView inside(CGRectMake(10, 0, 20, 10));
    setMaxRight(inside, 60);
    EXPECT_EQ(width(inside), 20);
}

class TapActions : public testing::Test {
  protected:
    void SetUp() override {
        testsupport::useVirtualClock();
        window = std::make_shared<UIWindow>(CGRectMake(0, 0, 300, 300));
        window->makeKeyAndVisible();
    }
    void tap(CGPoint point) {
        window->handleTouch(UITouchPhase::began, point, RunLoop::main().now());
        window->handleTouch(UITouchPhase::ended, point, RunLoop::main().now());
        RunLoop::main().advance(1);
    }
    std::shared_ptr<UIWindow> window;
};

TEST_F(TapActions, ASecondActionReplacesTheFirstOnOneRecognizer) {
    auto label = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
    label->setUserInteractionEnabled(false);
    window->addSubview(label);
    std::vector<std::string> ran;
    addTapAction(*label, [&](UITapGestureRecognizer&) { ran.push_back("first"); });
    addTapAction(*label, [&](UITapGestureRecognizer&) { ran.push_back("second"); });
    EXPECT_TRUE(label->isUserInteractionEnabled());
    EXPECT_EQ(label->gestureRecognizers().size(), 1u);
    tap({50, 50});
    EXPECT_EQ(ran, (std::vector<std::string>{"second"}));
}

TEST(ViewShorthands, RemoveAllSubviewsAndRoundedCorners) {
    auto owner = std::make_shared<UIView>(CGRectMake(0, 0, 10, 10));
    UIView& view = *owner;
    for (int i = 0; i < 3; ++i) {
        view.addSubview(std::make_shared<UIView>());
    }
    removeAllSubviews(view);
    EXPECT_TRUE(view.subviews().empty());
    cornerRadius(view, 4);
    EXPECT_EQ(view.layer()->cornerRadius(), 4);
    EXPECT_TRUE(view.layer()->masksToBounds());
}

TEST(ViewShorthands, FillParentUsesTheInsetsAsGiven) {
    auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 200, 100));
    auto child = std::make_shared<UIView>();
    fillParent(*child, {10, 10, -10, -10});
    EXPECT_TRUE(child->translatesAutoresizingMaskIntoConstraints()) << "nothing without a superview";
    parent->addSubview(child);
    fillParent(*child, {10, 20, -10, -20});
    parent->layoutIfNeeded();
    EXPECT_EQ(child->frame(), CGRectMake(20, 10, 160, 80));
}

TEST(ViewShorthands, ActiveAllActivatesAndStopsTranslationOfFirstItems) {
    auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 200, 100));
    auto child = std::make_shared<UIView>();
    parent->addSubview(child);
    const auto width = child->widthAnchor().constraintEqualToConstant(30);
    const auto height = child->heightAnchor().constraintEqualToConstant(40);
    activeAll({width, height});
    EXPECT_TRUE(width->isActive() && height->isActive());
    EXPECT_FALSE(child->translatesAutoresizingMaskIntoConstraints());
    parent->layoutIfNeeded();
    EXPECT_EQ(child->frame().size, (CGSize{30, 40}));
}

TEST(ViewShorthands, GradientsCoverTheBoundsFromTopToBottom) {
    UIView header(CGRectMake(0, 0, 375, 120));
    header.layer()->addSublayer(CALayer::layer());
    addGradientBackground(*header.layer(), {UIColor::blackColor(), UIColor::clearColor()});
    auto gradient = std::dynamic_pointer_cast<CAGradientLayer>(header.layer()->sublayers().front());
    ASSERT_NE(gradient, nullptr);
    EXPECT_EQ(gradient->frame(), header.bounds());
    EXPECT_EQ(gradient->startPoint(), (CGPoint{0, 0}));
    EXPECT_EQ(gradient->endPoint(), (CGPoint{0, 1}));
    EXPECT_TRUE(header.layer()->masksToBounds());

    const auto layer =
        linearGradientLayer(header, UIColor::redColor(), UIColor::blueColor(), {0, 0.5}, {1, 0.5});
    EXPECT_EQ(layer->frame(), header.bounds());
    EXPECT_EQ(layer->colors(), (std::vector<UIColor>{UIColor::redColor(), UIColor::blueColor()}));
    EXPECT_EQ(layer->locations(), (std::vector<double>{0, 1}));
    EXPECT_EQ(layer->superlayer(), nullptr);
}

TEST(GradientView, PropertiesReachTheLayerAtOnce) {
    AZGradientView view;
    EXPECT_EQ(view.az_endPoint(), CGPointZero);
    view.setAz_startPoint({0.2, 0.3});
    EXPECT_EQ(view.gradientLayer().startPoint(), (CGPoint{0.2, 0.3}));
    const auto made = AZGradientView::az_gradientViewWithColors({UIColor::redColor(), UIColor::blueColor()},
                                                                {0, 1}, {0, 0}, {1, 1});
    EXPECT_EQ(made->frame(), CGRectZero);
    EXPECT_EQ(made->gradientLayer().colors().size(), 2u);
    EXPECT_EQ(made->gradientLayer().endPoint(), (CGPoint{1, 1}));
}

} // namespace
