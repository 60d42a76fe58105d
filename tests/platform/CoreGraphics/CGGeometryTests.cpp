#include "platform/CoreGraphics/CGGeometry.h"

#include <gtest/gtest.h>

namespace {

TEST(CGRect, EdgesAndCentresOfNormalAndNegativeRectangles) {
    CGRect r = CGRectMake(10, 20, 30, 40);
    EXPECT_EQ(CGRectGetMinX(r), 10);
    EXPECT_EQ(CGRectGetMidX(r), 25);
    EXPECT_EQ(CGRectGetMaxX(r), 40);
    EXPECT_EQ(CGRectGetMinY(r), 20);
    EXPECT_EQ(CGRectGetMidY(r), 40);
    EXPECT_EQ(CGRectGetMaxY(r), 60);

    CGRect flipped = CGRectMake(40, 60, -30, -40);
    EXPECT_EQ(flipped.minX(), 10);
    EXPECT_EQ(flipped.maxY(), 60);
    EXPECT_EQ(flipped.width(), 30);
    EXPECT_TRUE(flipped == r);
    EXPECT_EQ(flipped.standardized().origin, CGPointMake(10, 20));
}

TEST(CGRect, InsetOffsetAndInsets) {
    CGRect r = CGRectMake(0, 0, 100, 50);
    EXPECT_EQ(CGRectInset(r, 10, 5), CGRectMake(10, 5, 80, 40));
    EXPECT_EQ(CGRectInset(r, -10, 0), CGRectMake(-10, 0, 120, 50));
    EXPECT_TRUE(CGRectInset(r, 60, 0).isNull()) << "insetting past the middle leaves nothing";
    EXPECT_EQ(CGRectOffset(r, 3, -4), CGRectMake(3, -4, 100, 50));
    EXPECT_EQ(UIEdgeInsetsInsetRect(r, UIEdgeInsetsMake(1, 2, 3, 4)), CGRectMake(2, 1, 94, 46));
}

TEST(CGRect, IntersectionUnionAndNull) {
    CGRect a = CGRectMake(0, 0, 10, 10);
    CGRect b = CGRectMake(5, 5, 10, 10);
    EXPECT_EQ(CGRectIntersection(a, b), CGRectMake(5, 5, 5, 5));
    EXPECT_EQ(CGRectUnion(a, b), CGRectMake(0, 0, 15, 15));
    EXPECT_TRUE(CGRectIntersectsRect(a, b));

    CGRect far = CGRectMake(20, 20, 1, 1);
    EXPECT_TRUE(CGRectIsNull(CGRectIntersection(a, far)));
    EXPECT_FALSE(CGRectIntersectsRect(a, far));
    EXPECT_TRUE(CGRectIsEmpty(CGRectNull));
    EXPECT_EQ(CGRectUnion(CGRectNull, a), a);
    EXPECT_EQ(CGRectUnion(a, CGRectNull), a);

    // Touching edges meet in a line without area: not an intersection.
    EXPECT_FALSE(CGRectIntersectsRect(a, CGRectMake(10, 0, 5, 5)));
    EXPECT_TRUE(CGRectIsEmpty(CGRectMake(1, 1, 0, 5)));
    EXPECT_FALSE(CGRectIsNull(CGRectZero));
}

TEST(CGRect, ContainmentIsHalfOpen) {
    CGRect r = CGRectMake(0, 0, 10, 10);
    EXPECT_TRUE(CGRectContainsPoint(r, CGPointMake(0, 0)));
    EXPECT_TRUE(CGRectContainsPoint(r, CGPointMake(9.99, 5)));
    EXPECT_FALSE(CGRectContainsPoint(r, CGPointMake(10, 5)));
    EXPECT_FALSE(CGRectContainsPoint(CGRectNull, CGPointZero));
    EXPECT_TRUE(CGRectContainsRect(r, CGRectMake(2, 2, 8, 8)));
    EXPECT_FALSE(CGRectContainsRect(r, CGRectMake(2, 2, 9, 8)));
}

TEST(CGRect, IntegralCoversTheFractionalRectangle) {
    EXPECT_EQ(CGRectIntegral(CGRectMake(0.5, 1.2, 2.0, 2.9)), CGRectMake(0, 1, 3, 4));
}

} // namespace
