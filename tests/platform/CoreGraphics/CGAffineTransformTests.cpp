#include "platform/CoreGraphics/CGAffineTransform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

void expectNear(CGPoint actual, CGPoint expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

TEST(CGAffineTransform, ConcatenationAppliesTheFirstTransformFirst) {
    CGAffineTransform scaleThenMove =
        CGAffineTransformConcat(CGAffineTransformMakeScale(2, 3), CGAffineTransformMakeTranslation(10, 20));
    expectNear(CGPointApplyAffineTransform({1, 1}, scaleThenMove), {12, 23});

    // translate(t, ...) applies the translation before t.
    CGAffineTransform moveThenScale = CGAffineTransformTranslate(CGAffineTransformMakeScale(2, 3), 10, 20);
    expectNear(CGPointApplyAffineTransform({1, 1}, moveThenScale), {22, 63});
}

TEST(CGAffineTransform, RotationIsCounterclockwiseInMathematicalAxes) {
    CGAffineTransform quarter = CGAffineTransformMakeRotation(std::numbers::pi / 2);
    expectNear(CGPointApplyAffineTransform({1, 0}, quarter), {0, 1});
    expectNear(CGPointApplyAffineTransform({0, 1}, quarter), {-1, 0});
}

TEST(CGAffineTransform, InverseUndoesAndSingularStaysPut) {
    CGAffineTransform t =
        CGAffineTransformRotate(CGAffineTransformMakeTranslation(5, -7), 0.7).scaledBy(2, 0.5);
    CGAffineTransform roundTrip = t.concatenating(t.inverted());
    EXPECT_NEAR(roundTrip.a, 1, 1e-12);
    EXPECT_NEAR(roundTrip.b, 0, 1e-12);
    EXPECT_NEAR(roundTrip.c, 0, 1e-12);
    EXPECT_NEAR(roundTrip.d, 1, 1e-12);
    EXPECT_NEAR(roundTrip.tx, 0, 1e-12);
    EXPECT_NEAR(roundTrip.ty, 0, 1e-12);

    CGAffineTransform flat = CGAffineTransformMakeScale(0, 1);
    EXPECT_FALSE(flat.isInvertible());
    EXPECT_EQ(CGAffineTransformInvert(flat), flat);
    EXPECT_TRUE(CGAffineTransformIsIdentity(CGAffineTransformIdentity));
    EXPECT_FALSE(CGAffineTransformIsIdentity(flat));
}

TEST(CGAffineTransform, RectanglesMapToTheBoxOfTheirCorners) {
    CGRect r = CGRectMake(0, 0, 10, 20);
    EXPECT_EQ(CGRectApplyAffineTransform(r, CGAffineTransformMakeScale(-1, 2)), CGRectMake(-10, 0, 10, 40));
    CGRect rotated = CGRectApplyAffineTransform(r, CGAffineTransformMakeRotation(std::numbers::pi / 2));
    EXPECT_NEAR(rotated.origin.x, -20, 1e-9);
    EXPECT_NEAR(rotated.size.width, 20, 1e-9);
    EXPECT_NEAR(rotated.size.height, 10, 1e-9);
    CGSize s = CGSizeApplyAffineTransform({3, 4}, CGAffineTransformMakeTranslation(100, 100).scaledBy(2, 2));
    EXPECT_EQ(s, CGSizeMake(6, 8)) << "sizes ignore translation";
}

} // namespace
