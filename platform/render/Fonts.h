#pragma once

#include <pango/pango.h>

#include <mutex>
#include <string>

// Fonts for every text the application shows. All text is set in Noto Sans CJK SC (the
// Chinese face of Noto CJK, from the fonts-noto-cjk packages), found through a private
// fontconfig configuration made on first use, so that neither the machine's font set-up
// nor the locale can switch Chinese text to Japanese glyph shapes. Emoji fall back to
// Noto Color Emoji (fonts-noto-color-emoji), drawn in their own colours.
namespace render {

inline constexpr const char* kUIFontFamily = "Noto Sans CJK SC";
inline constexpr const char* kEmojiFontFamily = "Noto Color Emoji";

// A font request: family, weight (100 thin ... 400 regular, 500 medium, 700 bold ... 900)
// and size in points.
struct FontSpec {
    std::string family = kUIFontFamily;
    int weight = 400;
    double size = 17;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// The Pango font map over the private configuration (made once; safe to call from any thread).
PangoFontMap* fontMap();

// The Pango context that shapes all interface text. Shaping is independent of the
// device scale (no hinted metrics), so a layout measured here draws identically at any
// scale. Pango contexts are not thread-safe: use it, and layouts made from it, under
// textLock() (the text layout cache does).
PangoContext* textContext();
std::recursive_mutex& textLock();

// A new Pango description of the font; the caller frees it with pango_font_description_free.
PangoFontDescription* newFontDescription(const FontSpec& font);

// Lines of text are 1.2 times the font size apart, as with the phone's system font
// (Noto CJK's own line gap would make every text block a fifth taller). Pango takes the
// space it removes evenly from above and below the glyphs; drawing then moves each line's
// glyphs by FontMetrics::baselineShift so that the line keeps the font's own proportion
// of ascent to descent and descenders stay inside it.
inline constexpr double kLineHeightFactor = 1.2;

// A Pango attribute giving text of `size` points its line height (covering all the text).
PangoAttribute* newLineHeightAttribute(double size);

struct FontMetrics {
    double ascender = 0;   // baseline to the top of a line, positive
    double descender = 0;  // baseline to the bottom of a line, negative
    double lineHeight = 0; // height of one line of text
    double capHeight = 0;  // height of capital letters above the baseline
    double xHeight = 0;
    // How far drawing moves glyphs down (negative: up) from where Pango puts them.
    double baselineShift = 0;
};

// Metrics of the font as Pango lays it out (cached per font).
FontMetrics fontMetrics(const FontSpec& font);

} // namespace render
