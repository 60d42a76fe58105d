#include "platform/UIKit/UIColor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace {

TEST(UIColor, FactoriesClampAndCompareByValue) {
    EXPECT_EQ(UIColor::colorWithRed(2, -1, 0.5, 1.5), (UIColor{1, 0, 0.5, 1}));
    EXPECT_EQ(UIColor::colorWithRed(NAN, 0, 0, 1).red, 0);
    EXPECT_EQ(UIColor::colorWithWhite(1, 1), UIColor::whiteColor());
    EXPECT_EQ(UIColor::whiteColor().colorWithAlphaComponent(0.6), (UIColor{1, 1, 1, 0.6}));
    EXPECT_NE(UIColor::clearColor(), UIColor::blackColor());
    EXPECT_EQ(UIColor(), UIColor::clearColor());
    std::optional<UIColor> none;
    EXPECT_NE(none, std::optional<UIColor>(UIColor::clearColor())) << "no colour differs from a clear colour";
}

TEST(UIColor, InterpolationMovesEveryComponent) {
    UIColor mid =
        UIColor::interpolate(UIColor::blackColor(), UIColor::whiteColor().colorWithAlphaComponent(0), 0.25);
    EXPECT_DOUBLE_EQ(mid.red, 0.25);
    EXPECT_DOUBLE_EQ(mid.alpha, 0.75);
}

} // namespace
