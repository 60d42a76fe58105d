#include "platform/render/FontFilePages.h"
#include "platform/render/Fonts.h"
#include "platform/render/TextLayout.h"
#include "tests/platform/render/RenderTestSupport.h"

#include <gtest/gtest.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-font.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>
#include <string>

namespace {

// Faces (description without size) and files Pango chose for the runs of `text`.
std::set<std::string> facesUsed(const std::string& text, int weight, std::set<std::string>* files = nullptr) {
    render::TextSpec spec;
    spec.text = text;
    spec.baseFont.weight = weight;
    auto layout = render::layoutText(spec);
    std::lock_guard guard(render::textLock());
    std::set<std::string> faces;
    PangoLayoutIter* iter = pango_layout_get_iter(layout->pangoLayout());
    do {
        PangoLayoutRun* run = pango_layout_iter_get_run_readonly(iter);
        if (run == nullptr) {
            continue;
        }
        PangoFontDescription* description = pango_font_describe(run->item->analysis.font);
        pango_font_description_unset_fields(description, PANGO_FONT_MASK_SIZE);
        char* name = pango_font_description_to_string(description);
        faces.insert(name);
        g_free(name);
        pango_font_description_free(description);
        if (files != nullptr) {
            FcPattern* pattern = pango_fc_font_get_pattern(PANGO_FC_FONT(run->item->analysis.font));
            FcChar8* file = nullptr;
            if (FcPatternGetString(pattern, FC_FILE, 0, &file) == FcResultMatch) {
                files->insert(reinterpret_cast<const char*>(file));
            }
        }
    } while (pango_layout_iter_next_run(iter));
    pango_layout_iter_free(iter);
    return faces;
}

TEST(Fonts, ChineseAndLatinTextUseTheSimplifiedChineseFace) {
    auto faces = facesUsed("中文 Title 设置", 400);
    ASSERT_FALSE(faces.empty());
    for (const auto& face : faces) {
        EXPECT_EQ(face.rfind("Noto Sans CJK SC", 0), 0u) << face;
    }
}

TEST(Fonts, EmojiFallBackToTheColourFaceWhileChineseKeepsItsOwn) {
    std::set<std::string> files;
    const auto faces = facesUsed("高分口碑 ⭐ 电影之夜 🍿🔥", 400, &files);
    EXPECT_EQ(faces, (std::set<std::string>{"Noto Sans CJK SC", "Noto Color Emoji"}));
    std::set<std::string> chineseFiles;
    facesUsed("高分口碑 电影之夜", 400, &chineseFiles);
    ASSERT_EQ(chineseFiles.size(), 1u);
    EXPECT_NE(chineseFiles.begin()->find("NotoSansCJK-Regular"), std::string::npos) << *chineseFiles.begin();
    EXPECT_EQ(files.count(*chineseFiles.begin()), 1u);
    EXPECT_EQ(files.size(), 2u);

    // Sequences are shaped into one glyph each: a selector, joiners, a skin tone, a flag.
    for (const char* sequence :
         {"❤️", "👨‍👩‍👧‍👦", "🏃‍♂️", "👍🏽", "🇨🇳", "1️⃣"}) {
        render::TextSpec spec;
        spec.text = sequence;
        auto layout = render::layoutText(spec);
        std::lock_guard guard(render::textLock());
        EXPECT_EQ(pango_layout_get_unknown_glyphs_count(layout->pangoLayout()), 0) << sequence;
        PangoLayoutIter* iter = pango_layout_get_iter(layout->pangoLayout());
        const PangoLayoutRun* run = pango_layout_iter_get_run_readonly(iter);
        ASSERT_NE(run, nullptr) << sequence;
        EXPECT_EQ(run->glyphs->num_glyphs, 1) << sequence;
        PangoFontDescription* description = pango_font_describe(run->item->analysis.font);
        EXPECT_STREQ(pango_font_description_get_family(description), "Noto Color Emoji") << sequence;
        pango_font_description_free(description);
        pango_layout_iter_free(iter);
    }
}

TEST(Fonts, WeightsPickTheirOwnFiles) {
    std::set<std::string> medium, bold;
    facesUsed("中文", 500, &medium);
    facesUsed("中文", 700, &bold);
    ASSERT_EQ(medium.size(), 1u);
    ASSERT_EQ(bold.size(), 1u);
    EXPECT_NE(medium.begin()->find("Medium"), std::string::npos) << *medium.begin();
    EXPECT_NE(bold.begin()->find("Bold"), std::string::npos) << *bold.begin();
}

TEST(Fonts, ChineseGlyphsAreDrawnNotMissingGlyphBoxes) {
    // A private-use character has no glyph in any face: Pango draws its hex box.
    auto draw = [](const std::string& text) {
        render::TextSpec spec;
        spec.text = text;
        spec.baseFont.size = 20;
        auto surface = rendertest::makeSurface(60, 40);
        auto cr = rendertest::makeContext(surface.get());
        render::layoutText(spec)->draw(cr.get(), {0, 0});
        return surface;
    };
    auto chinese = draw("中");
    auto missing = draw("\xEE\x80\x80");
    int differing = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            differing +=
                rendertest::pixelAt(chinese.get(), x, y).a != rendertest::pixelAt(missing.get(), x, y).a ? 1
                                                                                                         : 0;
        }
    }
    EXPECT_GT(rendertest::inkedPixels(chinese.get()), 20);
    EXPECT_GT(differing, 20);
}

TEST(Fonts, MetricsMatchALineOfText) {
    render::FontSpec font;
    font.size = 16;
    render::FontMetrics metrics = render::fontMetrics(font);
    EXPECT_GT(metrics.ascender, 0);
    EXPECT_LT(metrics.descender, 0);
    EXPECT_NEAR(metrics.ascender - metrics.descender, metrics.lineHeight, 1e-9);
    EXPECT_GT(metrics.capHeight, 0);
    EXPECT_LT(metrics.capHeight, metrics.ascender);
    EXPECT_LT(metrics.xHeight, metrics.capHeight);

    render::TextSpec spec;
    spec.text = "中文 Ag";
    spec.baseFont = font;
    EXPECT_NEAR(render::layoutText(spec)->size().height, metrics.lineHeight, 1e-6);

    font.size = 32;
    EXPECT_NEAR(render::fontMetrics(font).lineHeight, 2 * metrics.lineHeight, 0.05);
}

TEST(Fonts, GlyphsStayInsideTheirLine) {
    // Lines are tighter than the font's own line gap; ink must still not spill over.
    render::TextSpec spec;
    spec.text = "中文Hgjy（国）";
    spec.baseFont.size = 20;
    auto layout = render::layoutText(spec);
    const int height = static_cast<int>(std::ceil(layout->size().height * 2));
    auto surface = rendertest::makeSurface(200, height + 20);
    auto cr = rendertest::makeContext(surface.get(), 2);
    layout->draw(cr.get(), {0, 5});
    int inkTop = -1, inkBottom = -1;
    for (int y = 0; y < height + 20; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (rendertest::pixelAt(surface.get(), x, y).a > 0) {
                inkTop = inkTop < 0 ? y : inkTop;
                inkBottom = y;
            }
        }
    }
    EXPECT_GE(inkTop, 10);
    EXPECT_LE(inkBottom, 10 + height);
}

} // namespace

namespace {

// Resident KiB of the process's mappings of font files.
long residentFontFileKiB() {
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool font = false;
    long total = 0;
    while (std::getline(smaps, line)) {
        unsigned long first = 0;
        unsigned long last = 0;
        char permissions[5] = {};
        if (std::sscanf(line.c_str(), "%lx-%lx %4s", &first, &last, permissions) == 3) {
            font = permissions[1] != 'w' &&
                   (line.ends_with(".ttc") || line.ends_with(".ttf") || line.ends_with(".otf"));
            continue;
        }
        long kib = 0;
        if (font && std::sscanf(line.c_str(), "Rss: %ld kB", &kib) == 1) {
            total += kib;
        }
    }
    return total;
}

// The picture of `text` drawn in a fresh layout (new glyphs are looked up in the font).
rendertest::Surface drawn(const std::string& text) {
    render::TextSpec spec;
    spec.text = text;
    spec.baseFont.size = 24;
    auto surface = rendertest::makeSurface(400, 60);
    auto cr = rendertest::makeContext(surface.get());
    render::layoutText(spec)->draw(cr.get(), {0, 0});
    cairo_surface_flush(surface.get());
    return surface;
}

bool samePixels(cairo_surface_t* a, cairo_surface_t* b) {
    const int size = cairo_image_surface_get_stride(a) * cairo_image_surface_get_height(a);
    return size == cairo_image_surface_get_stride(b) * cairo_image_surface_get_height(b) &&
           std::memcmp(cairo_image_surface_get_data(a), cairo_image_surface_get_data(b), size) == 0;
}

} // namespace

TEST(Fonts, FontFilePagesHandedBackAreReadAgainForNewText) {
    const auto before = drawn("影视推荐 热门电影 1080P");
    ASSERT_GT(residentFontFileKiB(), 0) << "shaping and drawing read the font file";
    EXPECT_GT(render::releaseFontFilePages(), 0u);
    EXPECT_LT(residentFontFileKiB(), 64) << "the pages went back";

    // Text drawn again, and text with characters not drawn before, look as they would have.
    const auto again = drawn("影视推荐 热门电影 1080P");
    EXPECT_TRUE(samePixels(before.get(), again.get()));
    const auto fresh = drawn("龘靐齉 鬱 灩");
    EXPECT_GT(rendertest::inkedPixels(fresh.get()), 100);
    render::releaseFontFilePages();
    EXPECT_TRUE(samePixels(drawn("龘靐齉 鬱 灩").get(), fresh.get()));
}
