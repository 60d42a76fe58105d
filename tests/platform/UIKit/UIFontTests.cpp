#include "platform/UIKit/UIFont.h"

#include <gtest/gtest.h>

namespace {

TEST(UIFont, WeightsMapToTheFacesWeHave) {
    EXPECT_EQ(UIFont::systemFontOfSize(14).fontSpec().weight, 400);
    EXPECT_EQ(UIFont::systemFontOfSize(14, UIFontWeightMedium).fontSpec().weight, 500);
    EXPECT_EQ(UIFont::systemFontOfSize(14, UIFontWeightSemibold).fontSpec().weight, 600);
    EXPECT_EQ(UIFont::boldSystemFontOfSize(14).fontSpec().weight, 700);
    EXPECT_EQ(UIFont::systemFontOfSize(14, 0.5).fontSpec().weight, 800) << "nearest step";
    EXPECT_EQ(UIFont::fontWithName("PingFangSC-Medium", 12).fontSpec().weight, 500);
    EXPECT_EQ(UIFont::fontWithName("Helvetica", 12).fontSpec().weight, 400);
    EXPECT_EQ(UIFont::fontWithName("PingFangSC-Medium", 12).fontName(), "PingFangSC-Medium");
}

TEST(UIFont, ValueEqualityAndSizes) {
    EXPECT_EQ(UIFont::systemFontOfSize(15, UIFontWeightMedium),
              UIFont::systemFontOfSize(15, UIFontWeightMedium));
    EXPECT_NE(UIFont::systemFontOfSize(15), UIFont::systemFontOfSize(16));
    EXPECT_NE(UIFont::systemFontOfSize(15), UIFont::boldSystemFontOfSize(15));
    EXPECT_EQ(UIFont::systemFontOfSize(15).fontWithSize(16), UIFont::systemFontOfSize(16));
    EXPECT_EQ(UIFont::systemFontOfSize(-3).pointSize(), 17) << "unusable sizes fall back to the default";
}

TEST(UIFont, MetricsScaleWithSize) {
    UIFont small = UIFont::systemFontOfSize(12);
    UIFont large = UIFont::systemFontOfSize(24);
    EXPECT_GT(small.lineHeight(), 12);
    EXPECT_NEAR(large.lineHeight(), 2 * small.lineHeight(), 0.05);
    EXPECT_GT(large.ascender(), small.ascender());
    EXPECT_LT(large.descender(), 0);
    EXPECT_NEAR(small.ascender() - small.descender(), small.lineHeight(), 1e-9);
    EXPECT_GT(small.capHeight(), 0);
}

} // namespace
