#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/render/Fonts.h"

#include <string>

// Font weights on the system's scale (-1 ... 1).
using UIFontWeight = double;
inline constexpr UIFontWeight UIFontWeightUltraLight = -0.8;
inline constexpr UIFontWeight UIFontWeightThin = -0.6;
inline constexpr UIFontWeight UIFontWeightLight = -0.4;
inline constexpr UIFontWeight UIFontWeightRegular = 0;
inline constexpr UIFontWeight UIFontWeightMedium = 0.23;
inline constexpr UIFontWeight UIFontWeightSemibold = 0.3;
inline constexpr UIFontWeight UIFontWeightBold = 0.4;
inline constexpr UIFontWeight UIFontWeightHeavy = 0.56;
inline constexpr UIFontWeight UIFontWeightBlack = 0.62;

// A font: a small value type (name, size, weight) that views store and compare. Every
// font is drawn with Noto Sans CJK SC in the nearest weight; the metrics are that face's
// as Pango lays it out, with lines 1.2 times the size apart. Metrics are measured once
// per font and cached. Use fonts on the thread that lays out text.
class UIFont {
  public:
    UIFont() : UIFont(17, UIFontWeightRegular) {}

    static UIFont systemFontOfSize(CGFloat size, UIFontWeight weight = UIFontWeightRegular);
    static UIFont boldSystemFontOfSize(CGFloat size);
    // Any font name answers a font of our family; the weight is read from the name's
    // style suffix ("-Bold", "-Medium", "-Semibold", "-Light", ...), else regular.
    static UIFont fontWithName(const std::string& name, CGFloat size);

    UIFont fontWithSize(CGFloat size) const;

    const std::string& fontName() const { return fontName_; }
    std::string familyName() const { return render::kUIFontFamily; }
    CGFloat pointSize() const { return pointSize_; }
    UIFontWeight weight() const { return weight_; }

    CGFloat lineHeight() const;
    CGFloat ascender() const;
    CGFloat descender() const; // negative
    CGFloat capHeight() const;
    CGFloat xHeight() const;
    CGFloat leading() const { return 0; }

    // The request Pango is given for this font.
    render::FontSpec fontSpec() const;

    friend bool operator==(const UIFont&, const UIFont&) = default;

  private:
    UIFont(CGFloat size, UIFontWeight weight, std::string name = ".SFUI");
    std::string fontName_;
    CGFloat pointSize_;
    UIFontWeight weight_;
};
