#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/Foundation/NSRange.h"
#include "platform/UIKit/NSParagraphStyle.h"
#include "platform/UIKit/UIColor.h"
#include "platform/UIKit/UIFont.h"
#include "platform/render/TextLayout.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class NSUnderlineStyle { none = 0, single = 1, thick = 2 };

// Options of boundingRectWithSize.
using NSStringDrawingOptions = unsigned;
inline constexpr NSStringDrawingOptions NSStringDrawingUsesLineFragmentOrigin = 1u << 0;
inline constexpr NSStringDrawingOptions NSStringDrawingUsesFontLeading = 1u << 1;
inline constexpr NSStringDrawingOptions NSStringDrawingUsesDeviceMetrics = 1u << 3;
inline constexpr NSStringDrawingOptions NSStringDrawingTruncatesLastVisibleLine = 1u << 5;

// A text whose ranges carry display attributes. Values: copy them freely; the mutable
// variant adds editing. Ranges given to the platform's API count UTF-16 code units (as
// the platform's strings do); the text itself is kept as UTF-8, and invalid UTF-8 is
// replaced by U+FFFD when the string is made.
class NSAttributedString {
  public:
    // The attributes a range can carry (the platform's attribute dictionary). Unset
    // attributes take the defaults: a 12 pt system font, black, the default paragraph style.
    struct Attributes {
        std::optional<UIFont> font;
        std::optional<UIColor> foregroundColor;
        std::optional<NSParagraphStyle> paragraphStyle;
        std::optional<CGFloat> kern;
        std::optional<NSUnderlineStyle> underlineStyle;
        std::optional<NSUnderlineStyle> strikethroughStyle;

        // Every attribute set in `other` replaces this one's.
        void merge(const Attributes& other);
        friend bool operator==(const Attributes&, const Attributes&) = default;
    };

    // A maximal byte range [start, end) of the UTF-8 text with one set of attributes.
    struct Run {
        std::size_t start = 0;
        std::size_t end = 0;
        Attributes attributes;
        friend bool operator==(const Run&, const Run&) = default;
    };

    NSAttributedString() = default;
    explicit NSAttributedString(const std::string& string, const Attributes& attributes = {});

    const std::string& string() const { return string_; }
    // Length in UTF-16 code units.
    std::size_t length() const;
    const std::vector<Run>& runs() const { return runs_; }
    // The attributes at a UTF-16 index (those of the last character for an index past the end).
    Attributes attributesAtIndex(std::size_t index) const;

    // The size the text takes when broken into lines at `size.width` (with the
    // line-fragment-origin option; otherwise as one line per paragraph). The rectangle's
    // origin is zero; its size is fractional (callers round up).
    CGRect boundingRectWithSize(CGSize size, NSStringDrawingOptions options) const;

    // What the renderer shapes for this text in a box `width` wide (nothing: unbounded)
    // with at most `maxLines` lines (0: no limit). The paragraph style of the first
    // character applies to the whole text.
    render::TextSpec textSpec(std::optional<CGFloat> width, int maxLines) const;
    // The cached shaped layout of textSpec(width, maxLines).
    std::shared_ptr<const render::TextLayout> layout(std::optional<CGFloat> width, int maxLines) const;

    friend bool operator==(const NSAttributedString&, const NSAttributedString&) = default;

  protected:
    // Byte offset of UTF-16 index `index` (clamped to the text).
    std::size_t byteOffset(std::size_t index) const;
    void mergeAdjacentRuns();

    std::string string_;
    std::vector<Run> runs_;
};

class NSMutableAttributedString : public NSAttributedString {
  public:
    using NSAttributedString::NSAttributedString;
    NSMutableAttributedString(const NSAttributedString& other) : NSAttributedString(other) {}

    void appendAttributedString(const NSAttributedString& other);
    // Adds (merges) attributes over a UTF-16 range; the part of the range past the end of
    // the text is ignored.
    void addAttributes(const Attributes& attributes, NSRange range);
    // Replaces all attributes over a UTF-16 range.
    void setAttributes(const Attributes& attributes, NSRange range);

  private:
    template <typename Change> void changeRange(NSRange range, Change change);
};

// The platform's string measurement (NSString boundingRectWithSize:options:attributes:context:).
CGRect boundingRectWithSize(const std::string& text, CGSize size, NSStringDrawingOptions options,
                            const NSAttributedString::Attributes& attributes);
