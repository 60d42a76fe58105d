#include "app/Extensions/AttributedTextBuilders.h"
#include "app/Extensions/TextMeasurement.h"
#include "app/Extensions/URLExtensions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TextMeasurement, WidthsAreWholeAndHeldToTheMaximum) {
    const UIFont font = UIFont::systemFontOfSize(14);
    EXPECT_EQ(textWidth("", font, 100), 0);
    EXPECT_EQ(textHeight("", font, 100), 0);
    EXPECT_EQ(textSize("", font, 100), CGSizeZero);

    const std::string longText(400, 'm');
    const CGFloat width = textWidth(longText, font, 120);
    EXPECT_LE(width, 120);
    EXPECT_EQ(width, std::ceil(width));

    const CGSize shortSize = textSize("暂无数据", font, 300);
    EXPECT_GT(shortSize.width, 0);
    EXPECT_LT(shortSize.width, 300);
    EXPECT_EQ(shortSize.height, std::ceil(shortSize.height));
}

TEST(TextMeasurement, RowLimitHoldsTheHeight) {
    const UIFont font = UIFont::systemFontOfSize(14);
    const std::string longText(600, 'm');
    const CGSize all = textSize(longText, font, 120);
    const CGSize two = textSize(longText, font, 120, 2);
    EXPECT_GT(all.height, two.height);
    EXPECT_EQ(two.height, std::ceil(font.lineHeight() * 2));
    EXPECT_EQ(two.width, all.width);
}

TextAttributes red() {
    TextAttributes attributes;
    attributes.foregroundColor = UIColor::redColor();
    return attributes;
}

TEST(AttributedTextBuilders, AppendsOnlyWithContentAndAttributes) {
    EXPECT_EQ(attributeString("a", {}, std::string("b"), red()).string(), "ab");
    EXPECT_EQ(attributeString("a", {}, std::string("b"), std::nullopt).string(), "a");
    EXPECT_EQ(attributeString("a", {}, std::nullopt, red()).string(), "a");
}

TEST(AttributedTextBuilders, StylesTheFirstOccurrenceCountedInUTF16) {
    // The emoji takes two UTF-16 units, so the part starts at index 4.
    const auto text = attributeStringInside("第1集😀ab ab", {}, std::optional<std::string>("ab"), red());
    EXPECT_FALSE(text.attributesAtIndex(3).foregroundColor.has_value());
    EXPECT_EQ(text.attributesAtIndex(5).foregroundColor, UIColor::redColor());
    EXPECT_EQ(text.attributesAtIndex(6).foregroundColor, UIColor::redColor());
    EXPECT_FALSE(text.attributesAtIndex(8).foregroundColor.has_value()); // the second "ab" stays
    const auto missing = attributeStringInside("abc", {}, std::optional<std::string>("x"), red());
    EXPECT_FALSE(missing.attributesAtIndex(0).foregroundColor.has_value());
}

TEST(AttributedTextBuilders, StylesEachListedPartAndSkipsAbsentOnes) {
    const auto text = attributeStringInside(
        "skip 30 s, from 01:20", {}, std::optional<std::vector<std::string>>({"30", "none", "01:20"}), red());
    EXPECT_EQ(text.attributesAtIndex(5).foregroundColor, UIColor::redColor());
    EXPECT_FALSE(text.attributesAtIndex(8).foregroundColor.has_value());
    EXPECT_EQ(text.attributesAtIndex(16).foregroundColor, UIColor::redColor());
}

TEST(QueryParameters, LaterItemsReplaceAndBareNamesRemove) {
    using Map = std::map<std::string, std::string>;
    EXPECT_EQ(queryParameters("https://a.test/p?a=1&b=2&a=3"), (Map{{"a", "3"}, {"b", "2"}}));
    EXPECT_EQ(queryParameters("https://a.test/p?a=1&a"), Map{});
    EXPECT_EQ(queryParameters("https://a.test/p?"), Map{});
    EXPECT_EQ(queryParameters("https://a.test/p?name=%E4%BD%A0&x=#frag?y=1"),
              (Map{{"name", "你"}, {"x", ""}}));
    EXPECT_EQ(queryParameters("https://a.test/p"), std::nullopt);
    EXPECT_EQ(queryParameters("https://a.test/p#?a=1"), std::nullopt);
    EXPECT_EQ(queryParameters("not a url?a=1"), std::nullopt);
    EXPECT_EQ(queryParameters("https://a.test/?a=%G1"), std::nullopt);
    EXPECT_EQ(queryParameters("https://a.test/?a=%4"), std::nullopt);
}

} // namespace
