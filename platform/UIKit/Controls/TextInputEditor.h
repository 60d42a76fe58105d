#pragma once

#include "platform/Foundation/NSRange.h"
#include "platform/UIKit/Controls/TextEditingBuffer.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The edits a text field or text view makes for typing, input-method composition,
// deleting and pasting, each offered to its owner first (the delegate's "should change")
// and kept within a maximum length. The length counts UTF-16 units, as the platform's
// strings do; text cut to fit never splits a character. Text being composed is not held
// to the maximum until it is committed.
class TextInputEditor {
  public:
    struct Hooks {
        // Whether the text in `range` (UTF-16) may become `replacement`.
        std::function<bool(NSRange range, const std::string& replacement)> shouldChange;
        // The most UTF-16 units the text may hold; nothing for no limit.
        std::function<std::optional<std::size_t>()> maximumLength;
        // After the text or the composition changed.
        std::function<void()> didChange;
    };

    TextInputEditor(bool singleLine, Hooks hooks) : singleLine_(singleLine), hooks_(std::move(hooks)) {}

    TextEditingBuffer& buffer() { return buffer_; }
    const TextEditingBuffer& buffer() const { return buffer_; }

    // Typed text, or the committed composition; answers whether the text changed.
    bool insert(std::string_view text);
    // The input method's text being composed (an empty text ends the composition).
    void setMarkedText(std::string_view text);
    // Removes the selection, else the character before the caret.
    bool deleteBackward();
    // Removes the selection, else the character after the caret.
    bool deleteForward();
    // Inserts the general pasteboard's text, when it holds any; answers whether the text changed.
    bool paste();

    // The selection and the text being composed, in UTF-16 units.
    NSRange selectedRange() const;
    void setSelectedRange(NSRange range);
    std::optional<NSRange> markedTextRange() const;

  private:
    bool replaceRange(TextEditingBuffer::Range range, std::string replacement, bool composing);

    bool singleLine_;
    Hooks hooks_;
    TextEditingBuffer buffer_;
};
