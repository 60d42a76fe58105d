#include "platform/QuartzCore/CALayer.h"
#include "platform/QuartzCore/CAMediaTimingFunction.h"
#include "platform/QuartzCore/CAShapeLayer.h"
#include "platform/QuartzCore/LayerCompositor.h"
#include "tests/platform/QuartzCore/PixelProbe.h"
#include "tests/support/TestSupport.h"

#include "platform/Foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(LayerGeometry, FrameFollowsPositionAnchorPointAndTransform) {
    auto layer = CALayer::layer();
    layer->setBounds(CGRectMake(0, 0, 100, 50));
    layer->setPosition({200, 100});
    EXPECT_EQ(layer->frame(), CGRectMake(150, 75, 100, 50));
    layer->setAnchorPoint({0, 0});
    EXPECT_EQ(layer->frame(), CGRectMake(200, 100, 100, 50));
    layer->setTransform(CGAffineTransformMakeScale(2, 2));
    EXPECT_EQ(layer->frame(), CGRectMake(200, 100, 200, 100)) << "scaled about the anchor point";
    layer->setFrame(CGRectMake(0, 0, 10, 10));
    EXPECT_EQ(layer->bounds().size, (CGSize{10, 10}));
    EXPECT_EQ(layer->position(), (CGPoint{0, 0}));
}

TEST(LayerGeometry, PointsConvertThroughTheTreeIncludingScrollOffsets) {
    auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, 400, 400));
    auto scroller = CALayer::layer();
    scroller->setFrame(CGRectMake(50, 50, 200, 200));
    scroller->setBounds(CGRectMake(0, 100, 200, 200));
    auto content = CALayer::layer();
    content->setFrame(CGRectMake(10, 120, 20, 20));
    root->addSublayer(scroller);
    scroller->addSublayer(content);
    EXPECT_EQ(content->convertPointToLayer({0, 0}, root.get()), (CGPoint{60, 70}));
    EXPECT_EQ(content->convertPointFromLayer({60, 70}, root.get()), (CGPoint{0, 0}));
    EXPECT_EQ(content->convertRectToLayer(CGRectMake(0, 0, 20, 20), scroller.get()),
              CGRectMake(10, 120, 20, 20));
    EXPECT_TRUE(content->isDescendantOf(root.get()));
    content->removeFromSuperlayer();
    EXPECT_FALSE(content->isDescendantOf(root.get()));
}

TEST(LayerGeometry, TimingCurvesHaveTheirShapes) {
    auto linear = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionLinear);
    auto easeIn = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseIn);
    auto easeOut = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    auto easeInOut = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    for (double t : {0.1, 0.3, 0.7, 0.9}) {
        EXPECT_NEAR(linear->evaluate(t), t, 1e-9);
        EXPECT_LT(easeIn->evaluate(t), t);
        EXPECT_GT(easeOut->evaluate(t), t);
        EXPECT_NEAR(easeInOut->evaluate(t) + easeInOut->evaluate(1 - t), 1, 1e-6) << "symmetric";
    }
    EXPECT_DOUBLE_EQ(easeInOut->evaluate(0), 0);
    EXPECT_DOUBLE_EQ(easeInOut->evaluate(1), 1);
    // The curve from its published control points: x(s) = 0.5 at s = 0.5 gives y = 0.5.
    EXPECT_NEAR(easeInOut->evaluate(0.5), 0.5, 1e-9);
    // A monotonic check of a steep custom curve.
    auto steep = CAMediaTimingFunction::functionWithControlPoints(0.9, 0, 0.1, 1);
    double previous = 0;
    for (int i = 1; i <= 100; ++i) {
        const double value = steep->evaluate(i / 100.0);
        EXPECT_GE(value, previous - 1e-9);
        previous = value;
    }
}

TEST(LayerGeometry, AnimatedPathIsDrawnAgainEachFrame) {
    testsupport::useVirtualClock();
    auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, 40, 40));
    auto shape = CAShapeLayer::layer();
    shape->setAnchorPoint({0, 0});
    shape->setBounds(CGRectMake(0, 0, 40, 40));
    shape->setFillColor(UIColor::redColor());
    root->addSublayer(shape);
    CGPath narrow;
    narrow.addRect(CGRectMake(0, 0, 10, 40));
    CGPath wide;
    wide.addRect(CGRectMake(0, 0, 40, 40));
    auto grow = CABasicAnimation::animationWithKeyPath("path");
    grow->fromValue = std::optional<CGPath>(narrow);
    grow->toValue = std::optional<CGPath>(wide);
    grow->duration = 1;
    grow->fillMode = kCAFillModeForwards;
    grow->removedOnCompletion = false;
    shape->addAnimation(grow, "path");
    LayerCompositor compositor(40, 40, 1);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 5, 20).r, 255);
    EXPECT_EQ(pixelAt(compositor.surface(), 20, 20).a, 0);
    RunLoop::main().advance(0.5);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 20, 20).r, 255);
    EXPECT_EQ(pixelAt(compositor.surface(), 30, 20).a, 0);
    RunLoop::main().advance(1);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 35, 20).r, 255) << "held by the finished animation";
}

TEST(LayerGeometry, MovingAParentRepaintsItsChildrenWhereTheyWereAndAre) {
    auto root = CALayer::layer();
    root->setFrame(CGRectMake(0, 0, 100, 100));
    auto parent = CALayer::layer();
    parent->setFrame(CGRectMake(0, 0, 20, 20));
    auto child = CALayer::layer();
    child->setFrame(CGRectMake(30, 30, 10, 10));
    child->setBackgroundColor(UIColor::blueColor());
    parent->addSublayer(child);
    root->addSublayer(parent);
    LayerCompositor compositor(100, 100, 1);
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 35, 35).b, 255);
    parent->setPosition({60, 60});
    compositor.render(*root);
    EXPECT_EQ(pixelAt(compositor.surface(), 35, 35).a, 0) << "the old place is cleared";
    EXPECT_EQ(pixelAt(compositor.surface(), 85, 85).b, 255);
}
