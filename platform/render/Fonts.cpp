#include "platform/render/Fonts.h"

#include "platform/Foundation/Log.h"
#include "platform/Foundation/Paths.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
// fontconfig stores pointers inside its patterns as offsets, which the leak checker
// cannot follow: the live font data it holds for the process looks leaked at exit.
// (libsrt's object allocated at load, which the leak checker cannot reach either once
// the worker that loaded it ends while the process exits, is passed over by itself where
// the media engine loads it: see MpvLibrary.cpp. No rule here names libsrt, so any other
// leak in it is reported.)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif
#endif

namespace render {
namespace {

// Where Debian's fonts-noto-cjk and fonts-noto-cjk-extra put the CJK faces.
constexpr const char* kNotoCJKFolder = "/usr/share/fonts/opentype/noto";
// Where fonts-noto-color-emoji puts the colour emoji face. Other Noto packages share the
// folder; only the emoji file is taken from it, so that the faces text falls back to do
// not depend on what else the machine has installed.
constexpr const char* kNotoEmojiFolder = "/usr/share/fonts/truetype/noto";
constexpr const char* kNotoEmojiFile = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf";

// Family names that interface code or Pango may ask for; all of them resolve to the
// Chinese face. Without these aliases fontconfig answers generic names with the
// Japanese face, whose glyph shapes are wrong for Chinese text.
constexpr const char* kSansAliases[] = {"sans-serif",         "sans",      "system-ui",      "PingFang SC",
                                        ".AppleSystemUIFont", "Helvetica", "Helvetica Neue", "Arial"};

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string configurationXML(const std::filesystem::path& cacheFolder) {
    std::string xml =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n<fontconfig>\n";
    xml += std::string("  <dir>") + kNotoCJKFolder + "</dir>\n";
    xml += std::string("  <dir>") + kNotoEmojiFolder + "</dir>\n";
    xml += std::string("  <selectfont><rejectfont><glob>") + kNotoEmojiFolder +
           "/*</glob></rejectfont><acceptfont><glob>" + kNotoEmojiFile +
           "</glob></acceptfont></selectfont>\n";
    // The first writable cache folder receives new caches; the system's is read when current.
    xml += "  <cachedir>" + xmlEscaped(cacheFolder.string()) + "</cachedir>\n";
    xml += "  <cachedir>/var/cache/fontconfig</cachedir>\n";
    xml += "  <config><rescan><int>0</int></rescan></config>\n";
    auto alias = [&xml](const std::string& family, const std::string& target) {
        xml += "  <alias binding=\"same\"><family>" + xmlEscaped(family) + "</family><prefer><family>" +
               target + "</family></prefer></alias>\n";
    };
    for (const char* family : kSansAliases) {
        alias(family, kUIFontFamily);
    }
    alias("serif", "Noto Serif CJK SC");
    alias("monospace", "Noto Sans Mono CJK SC");
    // Pango asks for the generic family "emoji" for runs in emoji presentation (emoji
    // with U+FE0F, ZWJ sequences, flags, skin tones); characters no CJK face has fall
    // back to the emoji face on their own.
    alias("emoji", kEmojiFontFamily);
    alias("Apple Color Emoji", kEmojiFontFamily);
    // The emoji face holds colour bitmaps of one size (109 pixels). Fontconfig answers
    // such a face at that size whatever was asked; this scales it to the size asked for,
    // so that an emoji is as large as the text around it.
    xml += "  <match target=\"font\"><test name=\"outline\"><bool>false</bool></test>"
           "<edit name=\"pixelsizefixupfactor\" mode=\"assign\"><divide><name target=\"pattern\">pixelsize"
           "</name><name target=\"font\">pixelsize</name></divide></edit></match>\n";
    xml += "  <match target=\"font\"><test name=\"outline\"><bool>false</bool></test>"
           "<edit name=\"matrix\" mode=\"assign\"><times><name>matrix</name><matrix>"
           "<name>pixelsizefixupfactor</name><double>0</double><double>0</double>"
           "<name>pixelsizefixupfactor</name></matrix></times></edit>"
           "<edit name=\"size\" mode=\"assign\"><divide><name>size</name><name>pixelsizefixupfactor</name>"
           "</divide></edit></match>\n";
    xml += "</fontconfig>\n";
    return xml;
}

FcConfig* makeConfiguration() {
    if (!std::filesystem::is_directory(kNotoCJKFolder)) {
        consoleLog(std::string("render: the CJK fonts are missing (") + kNotoCJKFolder +
                   "); install fonts-noto-cjk with tools/setup.sh. Text will show without glyphs.");
    }
    if (!std::filesystem::is_regular_file(kNotoEmojiFile)) {
        consoleLog(std::string("render: the emoji font is missing (") + kNotoEmojiFile +
                   "); install fonts-noto-color-emoji with tools/setup.sh. Emoji will show as boxes.");
    }
    std::filesystem::path cacheFolder = Paths::caches() / "fontconfig";
    Paths::createPrivateFolder(cacheFolder);
    FcConfig* config = FcConfigCreate();
    const std::string xml = configurationXML(cacheFolder);
    if (!FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(xml.c_str()), FcTrue) ||
        !FcConfigBuildFonts(config)) {
        consoleLog("render: the private font configuration could not be loaded");
    }
    // Fontconfig writes its caches as the umask allows; everything in the data root is
    // for its owner alone.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(cacheFolder, error)) {
        std::filesystem::permissions(entry.path(),
                                     std::filesystem::perms::group_all | std::filesystem::perms::others_all,
                                     std::filesystem::perm_options::remove, error);
    }
    return config;
}

} // namespace

PangoFontMap* fontMap() {
    static PangoFontMap* map = [] {
        FcConfig* config = makeConfiguration();
        PangoFontMap* fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap), config);
        FcConfigDestroy(config); // the font map keeps its own reference
        return fontMap;
    }();
    return map;
}

std::recursive_mutex& textLock() {
    static std::recursive_mutex lock;
    return lock;
}

PangoContext* textContext() {
    static PangoContext* context = [] {
        PangoContext* ctx = pango_font_map_create_context(fontMap());
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(ctx, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(ctx, FALSE);
        pango_context_set_language(ctx, pango_language_from_string("zh-cn"));
        PangoFontDescription* base = newFontDescription(FontSpec{});
        pango_context_set_font_description(ctx, base);
        pango_font_description_free(base);
        return ctx;
    }();
    return context;
}

PangoFontDescription* newFontDescription(const FontSpec& font) {
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, font.family.c_str());
    pango_font_description_set_weight(description, static_cast<PangoWeight>(font.weight));
    pango_font_description_set_absolute_size(description, font.size * PANGO_SCALE);
    return description;
}

PangoAttribute* newLineHeightAttribute(double size) {
    return pango_attr_line_height_new_absolute(
        static_cast<int>(std::lround(size * kLineHeightFactor * PANGO_SCALE)));
}

FontMetrics fontMetrics(const FontSpec& font) {
    std::lock_guard guard(textLock());
    static std::map<std::tuple<std::string, int, double>, FontMetrics> cache;
    auto key = std::make_tuple(font.family, font.weight, font.size);
    if (auto found = cache.find(key); found != cache.end()) {
        return found->second;
    }
    PangoLayout* layout = pango_layout_new(textContext());
    PangoFontDescription* description = newFontDescription(font);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);

    // One line mixing Chinese and Latin, first with the font's own line gap, then with ours.
    pango_layout_set_text(layout, "中H", -1);
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    const double naturalAscent = pango_units_to_double(pango_layout_get_baseline(layout));
    const double naturalHeight = pango_units_to_double(logical.height);

    PangoAttrList* attributes = pango_attr_list_new();
    pango_attr_list_insert(attributes, newLineHeightAttribute(font.size));
    pango_layout_set_attributes(layout, attributes);
    pango_attr_list_unref(attributes);
    pango_layout_get_extents(layout, nullptr, &logical);
    const double pangoBaseline = pango_units_to_double(pango_layout_get_baseline(layout));

    FontMetrics metrics;
    metrics.lineHeight = pango_units_to_double(logical.height);
    metrics.ascender = naturalHeight > 0 ? metrics.lineHeight * naturalAscent / naturalHeight : pangoBaseline;
    metrics.descender = metrics.ascender - metrics.lineHeight;
    metrics.baselineShift = metrics.ascender - pangoBaseline;
    const double baseline = pangoBaseline;

    auto inkTop = [&](const char* sample) {
        pango_layout_set_text(layout, sample, -1);
        PangoRectangle ink;
        pango_layout_get_extents(layout, &ink, nullptr);
        return baseline - pango_units_to_double(ink.y);
    };
    metrics.capHeight = inkTop("H");
    metrics.xHeight = inkTop("x");
    g_object_unref(layout);
    cache.emplace(key, metrics);
    return metrics;
}

} // namespace render
