#include "platform/CoreGraphics/CGPath.h"

#include <gtest/gtest.h>

namespace {

void expectRectNear(const CGRect& actual, const CGRect& expected, double tolerance = 1e-6) {
    EXPECT_NEAR(actual.origin.x, expected.origin.x, tolerance);
    EXPECT_NEAR(actual.origin.y, expected.origin.y, tolerance);
    EXPECT_NEAR(actual.size.width, expected.size.width, tolerance);
    EXPECT_NEAR(actual.size.height, expected.size.height, tolerance);
}

TEST(CGPath, TightBoundsFollowTheCurveNotItsControlPoints) {
    CGMutablePath path;
    path.move({0, 0});
    path.addCurve({100, 0}, {0, 100}, {100, 100});
    // The curve peaks at 3/4 of the control points' height.
    expectRectNear(path.boundingBoxOfPath(), CGRectMake(0, 0, 100, 75));
    expectRectNear(path.boundingBox(), CGRectMake(0, 0, 100, 100));

    CGMutablePath quad;
    quad.move({0, 0});
    quad.addQuadCurve({10, 0}, {5, 10});
    expectRectNear(quad.boundingBoxOfPath(), CGRectMake(0, 0, 10, 5));
}

TEST(CGPath, EmptyPathHasNullBounds) {
    CGPath path;
    EXPECT_TRUE(path.isEmpty());
    EXPECT_TRUE(path.boundingBoxOfPath().isNull());
    EXPECT_FALSE(path.currentPoint().has_value());
    path.closeSubpath();
    EXPECT_TRUE(path.isEmpty()) << "closing without a subpath adds nothing";
}

TEST(CGPath, RectsAndRoundedRectsStayInsideTheirRectangle) {
    CGPath path;
    path.addRect(CGRectMake(5, 5, 10, 20));
    expectRectNear(path.boundingBoxOfPath(), CGRectMake(5, 5, 10, 20));
    EXPECT_EQ(path.currentPoint(), CGPointMake(5, 5)) << "closing returns to the subpath's start";

    CGPath rounded;
    rounded.addRoundedRect(CGRectMake(0, 0, 40, 20), 50, 50);
    expectRectNear(rounded.boundingBoxOfPath(), CGRectMake(0, 0, 40, 20));

    CGPath perCorner;
    perCorner.addRoundedRect(CGRectMake(0, 0, 40, 20), CGCornerRadii{30, 30, 0, 0});
    expectRectNear(perCorner.boundingBoxOfPath(), CGRectMake(0, 0, 40, 20));
}

TEST(CGPath, TransformAppliesToEveryPoint) {
    CGPath path;
    path.move({0, 0}, CGAffineTransformMakeTranslation(10, 10));
    path.addLine({5, 5}, CGAffineTransformMakeTranslation(10, 10));
    EXPECT_EQ(path.currentPoint(), CGPointMake(15, 15));
    CGPath scaled = path.applying(CGAffineTransformMakeScale(2, 2));
    expectRectNear(scaled.boundingBoxOfPath(), CGRectMake(20, 20, 10, 10));
}

TEST(CGPath, InterpolationNeedsMatchingElements) {
    CGPath a, b;
    a.move({0, 0});
    a.addCurve({10, 0}, {0, 10}, {10, 10});
    b.move({0, 20});
    b.addCurve({10, 20}, {0, 40}, {10, 40});
    auto mid = CGPath::interpolate(a, b, 0.5);
    ASSERT_TRUE(mid.has_value());
    EXPECT_EQ(mid->elements()[0].points[0], CGPointMake(0, 10));
    EXPECT_EQ(mid->elements()[1].points[0], CGPointMake(0, 25));

    CGPath c;
    c.move({0, 0});
    c.addLine({10, 0});
    EXPECT_FALSE(CGPath::interpolate(a, c, 0.5).has_value());
}

} // namespace
