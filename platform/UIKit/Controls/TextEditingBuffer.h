#pragma once

#include "platform/Foundation/NSRange.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The text being edited by a text field or text view: UTF-8 text, the selection (a caret
// when empty) and the range an input method is composing in (marked text). Offsets are
// UTF-8 byte offsets on character boundaries; the caret moves and deletes by whole
// user-perceived characters, so that an emoji or a letter with its accents never splits.
class TextEditingBuffer {
  public:
    struct Range {
        std::size_t start = 0;
        std::size_t end = 0;
        std::size_t length() const { return end - start; }
        bool empty() const { return start == end; }
        friend bool operator==(const Range&, const Range&) = default;
    };

    const std::string& text() const { return text_; }
    // Replaces everything; the caret goes to the end and any composition ends.
    void setText(std::string text);

    Range selection() const { return selection_; }
    // Clamped to the text and moved to character boundaries.
    void setSelection(Range range);
    void selectAll() { setSelection({0, text_.size()}); }

    const std::optional<Range>& markedRange() const { return marked_; }
    bool hasMarkedText() const { return marked_.has_value(); }

    // The range that typing would replace now: the composition, else the selection.
    Range replacementRange() const { return marked_ ? *marked_ : selection_; }
    // Replaces `range` by `text` and puts the caret after it; ends any composition.
    void replace(Range range, std::string_view text);
    // Shows `text` as the composition in place of the current one (or of the selection),
    // caret at its end. An empty text removes the composition.
    void setMarkedText(std::string_view text);
    // Keeps the composed text as typed text.
    void unmarkText() { marked_.reset(); }

    // The range deleteBackward removes: the selection, else the character before the caret
    // (empty at the start of the text).
    Range deletionRange() const;

    // Caret movement; `extend` grows the selection instead of collapsing it.
    void moveLeft(bool extend);
    void moveRight(bool extend);
    void moveToStart(bool extend);
    void moveToEnd(bool extend);

    // Character boundaries of a UTF-8 text.
    static std::size_t previousBoundary(std::string_view text, std::size_t offset);
    static std::size_t nextBoundary(std::string_view text, std::size_t offset);
    // Length in UTF-16 code units (the platform's string length).
    static std::size_t utf16Length(std::string_view text);
    // Conversions between UTF-16 ranges and byte ranges of `text`.
    static NSRange utf16Range(std::string_view text, Range range);
    static Range byteRange(std::string_view text, NSRange range);
    // The longest prefix of `text` at most `maxUnits` UTF-16 units long that ends on a
    // character boundary.
    static std::string_view prefixFitting(std::string_view text, std::size_t maxUnits);

  private:
    void collapseOrExtend(std::size_t caret, bool extend);

    std::string text_;
    Range selection_;
    std::optional<Range> marked_;
    // The fixed end of a selection grown with the arrow keys.
    std::size_t anchor_ = 0;
};
