#include "app/Extensions/UIColorExtensions.h"

#include <gtest/gtest.h>

namespace {

UIColor rgb(int red, int green, int blue, double alpha = 1) {
    return UIColor::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, alpha);
}

TEST(HexColor, SpellingsOfOneColourAgree) {
    const UIColor accent = rgb(0xD7, 0x3F, 0x3F);
    EXPECT_EQ(hexColor("D73F3F"), accent);
    EXPECT_EQ(hexColor(" #D73F3F\n"), accent);
    EXPECT_EQ(hexColor("0xD73F3F"), accent);
    EXPECT_EQ(hexColor("d73f3f"), accent);
    EXPECT_EQ(hexColor("#D7#3F3F"), accent); // every "#" goes
    EXPECT_EQ(hexColor("1C1B20", 0.5), rgb(0x1C, 0x1B, 0x20, 0.5));
}

TEST(HexColor, UnreadableTextsGiveTheDefaultColourOrBlack) {
    EXPECT_EQ(hexColor(""), UIColor{});
    EXPECT_EQ(hexColor(" \t\n"), UIColor{});
    EXPECT_EQ(hexColor("123456789"), UIColor{});
    EXPECT_EQ(hexColor("#", 0.7), rgb(0, 0, 0, 0.7));
    EXPECT_EQ(hexColor("zzzzzz"), rgb(0, 0, 0));
    // Upper-case "0X" stays: eight characters whose first two are no alpha.
    EXPECT_EQ(hexColor("0X1C1B20"), rgb(0x1C, 0x1B, 0x20, 0));
}

TEST(HexColor, EightDigitsCarryTheAlpha) {
    EXPECT_EQ(hexColor("80FFFFFF", 1), rgb(255, 255, 255, 128 / 255.0));
    EXPECT_EQ(hexColor("00FF0000", 1), rgb(255, 0, 0, 0));
    EXPECT_EQ(hexColor("zzFF0000", 1), rgb(255, 0, 0, 0));
}

TEST(HexColor, ShortAndSevenDigitTextsAreReadAsNumbers) {
    // Not expanded as in CSS: FFF is the integer 4095.
    EXPECT_EQ(hexColor("FFF"), rgb(0, 15, 255));
    // Seven digits keep only the low 24 bits for the components.
    EXPECT_EQ(hexColor("1D73F3F"), rgb(0xD7, 0x3F, 0x3F));
}

TEST(HexColor, IntegersWithAndWithoutAlpha) {
    EXPECT_EQ(hexColor(std::int64_t{0xFF0000}), rgb(255, 0, 0));
    EXPECT_EQ(hexColor(std::int64_t{0x80FF0000}), rgb(255, 0, 0, 128 / 255.0));
    EXPECT_EQ(hexColor(std::int64_t{-1}).alpha, 1);
    EXPECT_EQ(hexColor(0x00FF00, 0.25), rgb(0, 255, 0, 0.25));
}

TEST(ColorImage, FillsTheGivenSizeAndNeedsAnArea) {
    const auto image = colorImage(rgb(0xD7, 0x3F, 0x3F), {3, 2});
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->size(), (CGSize{3, 2}));
    EXPECT_EQ(colorImage(UIColor::redColor(), {0, 5}), nullptr);
    const auto dot = colorImage(UIColor::whiteColor());
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(dot->size(), (CGSize{1, 1}));
}

} // namespace
