#include "platform/UIKit/NSAttributedString.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Attributes = NSAttributedString::Attributes;

Attributes fontAttributes(CGFloat size) {
    Attributes attributes;
    attributes.font = UIFont::systemFontOfSize(size);
    return attributes;
}

TEST(NSAttributedString, LengthCountsUTF16Units) {
    EXPECT_EQ(NSAttributedString("abc").length(), 3u);
    EXPECT_EQ(NSAttributedString("中文").length(), 2u);
    EXPECT_EQ(NSAttributedString("a😀b").length(), 4u) << "a character outside the BMP counts twice";
    EXPECT_EQ(NSAttributedString("").length(), 0u);
    EXPECT_EQ(NSAttributedString(std::string("a\xff") + "b").string(), "a\xEF\xBF\xBD"
                                                                       "b")
        << "invalid bytes replaced";
}

TEST(NSAttributedString, AddAttributesOverAUTF16Range) {
    NSMutableAttributedString text("播放😀第1集", fontAttributes(14));
    Attributes red;
    red.foregroundColor = UIColor::redColor();
    // "第1集" starts after 2 + 2 UTF-16 units.
    text.addAttributes(red, NSMakeRange(4, 3));
    EXPECT_FALSE(text.attributesAtIndex(0).foregroundColor.has_value());
    EXPECT_FALSE(text.attributesAtIndex(3).foregroundColor.has_value());
    EXPECT_EQ(text.attributesAtIndex(4).foregroundColor, UIColor::redColor());
    EXPECT_EQ(text.attributesAtIndex(6).foregroundColor, UIColor::redColor());
    EXPECT_EQ(text.attributesAtIndex(4).font, UIFont::systemFontOfSize(14)) << "merged, not replaced";
    ASSERT_EQ(text.runs().size(), 2u);
    EXPECT_EQ(text.runs()[1].start, std::string("播放😀").size());
}

TEST(NSAttributedString, RangesPastTheEndAreCutNotFatal) {
    NSMutableAttributedString text("abc", fontAttributes(14));
    Attributes red;
    red.foregroundColor = UIColor::redColor();
    text.addAttributes(red, NSMakeRange(2, 100));
    EXPECT_EQ(text.attributesAtIndex(2).foregroundColor, UIColor::redColor());
    text.addAttributes(red, NSMakeRange(10, 5));
    text.addAttributes(red, NSMakeRange(NSNotFound, 0));
    EXPECT_EQ(text.string(), "abc");
    EXPECT_EQ(text.runs().size(), 2u);
}

TEST(NSAttributedString, AppendingKeepsEachPartsAttributes) {
    NSMutableAttributedString text("共", fontAttributes(12));
    text.appendAttributedString(NSAttributedString("10", fontAttributes(20)));
    text.appendAttributedString(NSAttributedString("集", fontAttributes(12)));
    EXPECT_EQ(text.string(), "共10集");
    ASSERT_EQ(text.runs().size(), 3u);
    EXPECT_EQ(text.attributesAtIndex(1).font->pointSize(), 20);
    EXPECT_EQ(text.attributesAtIndex(3).font->pointSize(), 12);

    NSMutableAttributedString same("a", fontAttributes(12));
    same.appendAttributedString(NSAttributedString("b", fontAttributes(12)));
    EXPECT_EQ(same.runs().size(), 1u) << "equal neighbours merge";
}

TEST(NSAttributedString, BoundingRectWrapsAtTheWidth) {
    const std::string text = "这是一段很长的简介文字，需要在给定的宽度内换行显示，直到全部显示完毕为止。";
    Attributes attributes = fontAttributes(13);
    CGRect oneLine = boundingRectWithSize(text, {CGFLOAT_MAX, CGFLOAT_MAX},
                                          NSStringDrawingUsesLineFragmentOrigin, attributes);
    CGRect wrapped = boundingRectWithSize(
        text, {120, CGFLOAT_MAX}, NSStringDrawingUsesLineFragmentOrigin | NSStringDrawingUsesFontLeading,
        attributes);
    EXPECT_NEAR(oneLine.size.height, UIFont::systemFontOfSize(13).lineHeight(), 0.01);
    EXPECT_LE(wrapped.size.width, 120);
    EXPECT_GT(wrapped.size.height, 3 * oneLine.size.height);
    // Without the line-fragment option the text is measured as one line.
    CGRect unwrapped = boundingRectWithSize(text, {120, CGFLOAT_MAX}, 0, attributes);
    EXPECT_NEAR(unwrapped.size.width, oneLine.size.width, 0.01);
    EXPECT_EQ(
        boundingRectWithSize("", {120, CGFLOAT_MAX}, NSStringDrawingUsesLineFragmentOrigin, attributes).size,
        CGSizeZero);
}

TEST(NSAttributedString, ParagraphStyleReachesTheLayout) {
    Attributes attributes = fontAttributes(14);
    NSMutableParagraphStyle style;
    style.alignment = NSTextAlignment::right;
    style.lineBreakMode = NSLineBreakMode::byTruncatingTail;
    attributes.paragraphStyle = style;
    NSAttributedString text("一二三四五六七八九十一二三四五六七八九十", attributes);
    render::TextSpec spec = text.textSpec(100.0, 1);
    EXPECT_EQ(spec.alignment, render::TextAlignment::right);
    EXPECT_EQ(spec.lineBreakMode, render::LineBreakMode::truncateTail);
    auto layout = text.layout(100.0, 1);
    EXPECT_EQ(layout->lineCount(), 1);
    EXPECT_TRUE(layout->isTruncated());
    EXPECT_LE(layout->size().width, 100);
}

TEST(NSAttributedString, DefaultsAreA12PointBlackFont) {
    render::TextSpec spec = NSAttributedString("x").textSpec(std::nullopt, 0);
    EXPECT_EQ(spec.baseFont.size, 12);
    ASSERT_EQ(spec.spans.size(), 1u);
    EXPECT_FALSE(spec.spans[0].color.has_value());
}

} // namespace
