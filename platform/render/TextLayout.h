#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/render/Fonts.h"
#include "platform/render/Paint.h"

#include <cairo.h>
#include <pango/pango.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace render {

enum class TextAlignment { left, center, right, justified };
enum class LineBreakMode { wordWrap, charWrap, clip, truncateHead, truncateTail, truncateMiddle };

// The look of a byte range [start, end) of the UTF-8 text.
struct TextSpan {
    std::size_t start = 0;
    std::size_t end = 0;
    FontSpec font;
    std::optional<RGBA> color; // black when absent
    double kern = 0;           // extra space after each character, in points
    bool underline = false;
    bool strikethrough = false;
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// Everything that decides how a text is shaped and broken into lines.
struct TextSpec {
    std::string text;
    // Ranges with their own look; text outside every span uses `baseFont`, in black.
    std::vector<TextSpan> spans;
    FontSpec baseFont;
    TextAlignment alignment = TextAlignment::left;
    LineBreakMode lineBreakMode = LineBreakMode::wordWrap;
    double lineSpacing = 0; // extra space between lines, in points
    // The width lines break at; nothing (or a non-positive value) for one unbroken line per paragraph.
    std::optional<double> width;
    // At most this many lines (0: no limit). Text beyond them is cut or, with a
    // truncating line-break mode, replaced by an ellipsis at the end of the last line.
    int maxLines = 0;
    friend bool operator==(const TextSpec&, const TextSpec&) = default;
};

// A shaped text, ready to measure and draw. Immutable once made; share it freely on the
// thread that uses text (see textLock()).
class TextLayout {
  public:
    explicit TextLayout(const TextSpec& spec);
    ~TextLayout();
    TextLayout(const TextLayout&) = delete;
    TextLayout& operator=(const TextLayout&) = delete;

    // The size the text takes: the widest line and the height of the shown lines. (0, 0)
    // for an empty text.
    CGSize size() const { return size_; }
    // Width of the box lines are aligned in: the break width, else the widest line.
    double boxWidth() const { return boxWidth_; }
    int lineCount() const { return lineCount_; }
    // True when lines were cut or ellipsized to respect maxLines.
    bool isTruncated() const { return truncated_; }
    // The baseline of the first line, from the top.
    double firstBaseline() const { return firstBaseline_; }
    // The caret in front of the character at UTF-8 byte `index` (at the end for an index
    // past it): a zero-width rectangle as tall as its line, in the layout's box.
    CGRect caretRect(std::size_t index) const;
    // The UTF-8 byte index of the character boundary nearest to `point` (in the layout's box).
    std::size_t indexAtPoint(CGPoint point) const;
    // Draws the text with the top-left corner of its box at `origin` (points in the user
    // space of `cr`, whatever scale its transform has).
    void draw(cairo_t* cr, CGPoint origin) const;
    PangoLayout* pangoLayout() const { return layout_; }

  private:
    PangoLayout* layout_ = nullptr;
    std::size_t textLength_ = 0;
    CGSize size_;
    double boxWidth_ = 0;
    double visibleHeight_ = 0;
    double firstBaseline_ = 0;
    double baselineShift_ = 0;
    int lineCount_ = 0;
    bool truncated_ = false;
    bool clipsLines_ = false;
};

// The layout of `spec`, from a cache of recently used layouts, so that frames which draw
// the same texts again do not shape them again. Thread-safe.
std::shared_ptr<const TextLayout> layoutText(const TextSpec& spec);

// Drops every cached layout.
void clearTextLayoutCache();

} // namespace render
