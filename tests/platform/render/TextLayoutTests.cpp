#include "platform/render/TextLayout.h"
#include "tests/platform/render/RenderTestSupport.h"

#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <string>

namespace {

render::TextSpec textOf(const std::string& text, std::optional<double> width = std::nullopt,
                        int maxLines = 0) {
    render::TextSpec spec;
    spec.text = text;
    spec.baseFont.size = 16;
    spec.width = width;
    spec.maxLines = maxLines;
    return spec;
}

// The text of the layout's last line, as drawn (with an ellipsis when it was shortened).
bool endsWithEllipsis(const render::TextLayout& layout) {
    std::lock_guard guard(render::textLock());
    return pango_layout_is_ellipsized(layout.pangoLayout());
}

const std::string kLongChinese =
    "这是一段很长的中文简介，用来检查换行和省略号是否都在宽度之内正确地显示出来。";

TEST(TextLayout, EmptyTextTakesNoSpace) {
    auto layout = render::layoutText(textOf(""));
    EXPECT_EQ(layout->size(), CGSizeZero);
}

TEST(TextLayout, ChineseAndLatinTextHaveWidth) {
    auto chinese = render::layoutText(textOf("中文"));
    auto latin = render::layoutText(textOf("ab"));
    EXPECT_GT(chinese->size().width, 0);
    EXPECT_GT(chinese->size().width, latin->size().width) << "ideographs are wider than Latin letters";
    EXPECT_EQ(chinese->lineCount(), 1);
}

TEST(TextLayout, WrappingGrowsHeightAndKeepsWidth) {
    auto oneLine = render::layoutText(textOf(kLongChinese));
    auto wrapped = render::layoutText(textOf(kLongChinese, 100.0));
    EXPECT_EQ(oneLine->lineCount(), 1);
    EXPECT_GT(wrapped->lineCount(), 3);
    EXPECT_LE(wrapped->size().width, 100.0);
    EXPECT_NEAR(wrapped->size().height, oneLine->size().height * wrapped->lineCount(), 0.5);
    EXPECT_FALSE(wrapped->isTruncated());
}

TEST(TextLayout, TruncationEndsInAnEllipsisWithinTheWidth) {
    auto spec = textOf(kLongChinese, 120.0, 1);
    spec.lineBreakMode = render::LineBreakMode::truncateTail;
    auto single = render::layoutText(spec);
    EXPECT_EQ(single->lineCount(), 1);
    EXPECT_TRUE(single->isTruncated());
    EXPECT_TRUE(endsWithEllipsis(*single));
    EXPECT_LE(single->size().width, 120.0);

    spec.maxLines = 2;
    auto two = render::layoutText(spec);
    EXPECT_EQ(two->lineCount(), 2);
    EXPECT_TRUE(endsWithEllipsis(*two));
    EXPECT_NEAR(two->size().height, 2 * single->size().height, 0.5);
}

TEST(TextLayout, LineLimitCountsLinesOfAllParagraphs) {
    auto spec = textOf("第一段\n第二段\n第三段\n第四段", 200.0, 2);
    spec.lineBreakMode = render::LineBreakMode::truncateTail;
    auto layout = render::layoutText(spec);
    EXPECT_EQ(layout->lineCount(), 2);
    EXPECT_TRUE(layout->isTruncated());
}

TEST(TextLayout, WordWrappingWithALimitCutsLinesWithoutEllipsis) {
    auto spec = textOf(kLongChinese, 100.0, 2);
    spec.lineBreakMode = render::LineBreakMode::wordWrap;
    auto layout = render::layoutText(spec);
    auto unlimited = render::layoutText(textOf(kLongChinese, 100.0));
    EXPECT_EQ(layout->lineCount(), 2);
    EXPECT_TRUE(layout->isTruncated());
    EXPECT_FALSE(endsWithEllipsis(*layout));
    EXPECT_NEAR(layout->size().height, 2 * unlimited->size().height / unlimited->lineCount(), 0.5);

    // Drawing shows nothing below the second line.
    auto surface = rendertest::makeSurface(100, 200);
    auto cr = rendertest::makeContext(surface.get());
    layout->draw(cr.get(), {0, 0});
    const int cut = static_cast<int>(std::ceil(layout->size().height)) + 1;
    for (int y = cut; y < 200; ++y) {
        for (int x = 0; x < 100; ++x) {
            ASSERT_EQ(rendertest::pixelAt(surface.get(), x, y).a, 0) << "ink at " << x << "," << y;
        }
    }
}

TEST(TextLayout, SameSpecIsShapedOnce) {
    auto first = render::layoutText(textOf("缓存", 50.0));
    auto again = render::layoutText(textOf("缓存", 50.0));
    auto otherWidth = render::layoutText(textOf("缓存", 60.0));
    EXPECT_EQ(first.get(), again.get());
    EXPECT_NE(first.get(), otherWidth.get());
}

TEST(TextLayout, AlignmentPlacesInkInTheBox) {
    auto inkCentre = [](render::TextAlignment alignment) {
        auto spec = textOf("中", 100.0);
        spec.alignment = alignment;
        auto surface = rendertest::makeSurface(100, 30);
        auto cr = rendertest::makeContext(surface.get());
        render::layoutText(spec)->draw(cr.get(), {0, 0});
        double sum = 0, count = 0;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (rendertest::pixelAt(surface.get(), x, y).a > 0) {
                    sum += x;
                    count += 1;
                }
            }
        }
        return sum / count;
    };
    EXPECT_LT(inkCentre(render::TextAlignment::left), 15);
    EXPECT_NEAR(inkCentre(render::TextAlignment::center), 50, 3);
    EXPECT_GT(inkCentre(render::TextAlignment::right), 85);
}

TEST(TextLayout, SpansColourTheirOwnRange) {
    render::TextSpec spec = textOf("黑红");
    render::TextSpan red;
    red.start = 3; // the second character ("红" starts at byte 3)
    red.end = 6;
    red.font = spec.baseFont;
    red.color = render::RGBA{1, 0, 0, 1};
    spec.spans.push_back(red);
    auto layout = render::layoutText(spec);
    auto surface = rendertest::makeSurface(80, 48);
    auto cr = rendertest::makeContext(surface.get(), 2);
    layout->draw(cr.get(), {0, 0});
    bool blackLeft = false, redRight = false;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 80; ++x) {
            auto p = rendertest::pixelAt(surface.get(), x, y);
            if (p.a > 200 && x < 32 && p.r < 10) {
                blackLeft = true;
            }
            if (p.a > 200 && x >= 32 && p.r >= p.a - 2 && p.g < 10) {
                redRight = true;
            }
        }
    }
    EXPECT_TRUE(blackLeft);
    EXPECT_TRUE(redRight);
}

TEST(TextLayout, KernWidensText) {
    render::TextSpec plain = textOf("abcdef");
    render::TextSpec kerned = plain;
    render::TextSpan span;
    span.end = kerned.text.size();
    span.font = kerned.baseFont;
    span.kern = 2;
    kerned.spans.push_back(span);
    EXPECT_NEAR(render::layoutText(kerned)->size().width - render::layoutText(plain)->size().width, 12, 2.5);
}

TEST(TextLayout, CaretPositionsAndHitTesting) {
    auto layout = render::layoutText(textOf("ab中文"));
    const CGRect start = layout->caretRect(0);
    const CGRect afterB = layout->caretRect(2);
    const CGRect end = layout->caretRect(100);
    EXPECT_EQ(start.origin.x, 0);
    EXPECT_GT(afterB.origin.x, start.origin.x);
    EXPECT_NEAR(end.origin.x, layout->size().width, 0.01);
    EXPECT_NEAR(start.size.height, layout->size().height, 0.01);
    EXPECT_EQ(layout->caretRect(3).origin.x, afterB.origin.x)
        << "an index inside a character means its start";

    EXPECT_EQ(layout->indexAtPoint({-5, 5}), 0u);
    EXPECT_EQ(layout->indexAtPoint({afterB.origin.x + 1, 5}), 2u);
    EXPECT_EQ(layout->indexAtPoint({1000, 5}), std::string("ab中文").size());

    auto twoLines = render::layoutText(textOf("第一行\n第二行"));
    const CGRect secondLine = twoLines->caretRect(std::string("第一行\n").size());
    EXPECT_NEAR(secondLine.origin.y, twoLines->size().height / 2, 0.01);
    EXPECT_EQ(secondLine.origin.x, 0);
    EXPECT_EQ(twoLines->indexAtPoint({0, twoLines->size().height - 1}), std::string("第一行\n").size());
}

TEST(TextLayout, InvalidUTF8DoesNotBreakLayout) {
    auto layout = render::layoutText(textOf(std::string("ab\xff\xfe") + "中"));
    EXPECT_GT(layout->size().width, 0);
}

} // namespace
