#include "platform/YYText/NSAttributedString+YYText.h"

#include <gtest/gtest.h>

namespace {

TEST(YYText, StylesAPromptWithAHighlightedPartCountedInUtf16Units) {
    NSMutableAttributedString prompt("10s后为您跳过片尾 [取消]");
    setYy_color(prompt, UIColor::whiteColor());
    setYy_font(prompt, UIFont::systemFontOfSize(14));
    yy_setColor(prompt, UIColor::systemTealColor(), NSMakeRange(11, 4));

    EXPECT_EQ(yy_color(prompt), UIColor::whiteColor());
    EXPECT_EQ(yy_font(prompt), UIFont::systemFontOfSize(14));
    EXPECT_EQ(prompt.attributesAtIndex(10).foregroundColor, UIColor::whiteColor());
    for (std::size_t index = 11; index < 15; ++index) {
        EXPECT_EQ(prompt.attributesAtIndex(index).foregroundColor, UIColor::systemTealColor()) << index;
        EXPECT_EQ(prompt.attributesAtIndex(index).font, UIFont::systemFontOfSize(14)) << index;
    }
    // The highlighted part is exactly the bytes of "[取消]".
    const auto& last = prompt.runs().back();
    EXPECT_EQ(prompt.string().substr(last.start, last.end - last.start), "[取消]");
}

TEST(YYText, RangesPastTheEndAndEmptyTextsAreHarmless) {
    NSMutableAttributedString empty("");
    setYy_color(empty, UIColor::whiteColor());
    EXPECT_EQ(yy_color(empty), std::nullopt);
    EXPECT_EQ(yy_font(empty), std::nullopt);

    NSMutableAttributedString text("设置开启跳过片头片尾");
    EXPECT_EQ(yy_color(text), std::nullopt);
    yy_setColor(text, UIColor::systemTealColor(), NSMakeRange(8, 50));
    EXPECT_EQ(text.attributesAtIndex(7).foregroundColor, std::nullopt);
    EXPECT_EQ(text.attributesAtIndex(9).foregroundColor, UIColor::systemTealColor());
}

} // namespace
