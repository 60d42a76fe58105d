#include "platform/UIKit/Controls/TextInputEditor.h"

#include "platform/UIKit/Controls/UIPasteboard.h"

#include <algorithm>

bool TextInputEditor::insert(std::string_view text) {
    std::string replacement(text);
    if (singleLine_) {
        // One line: line breaks in pasted text become spaces.
        std::replace(replacement.begin(), replacement.end(), '\n', ' ');
        std::replace(replacement.begin(), replacement.end(), '\r', ' ');
    }
    return replaceRange(buffer_.replacementRange(), std::move(replacement), buffer_.hasMarkedText());
}

void TextInputEditor::setMarkedText(std::string_view text) {
    if (text.empty() && !buffer_.hasMarkedText()) {
        return;
    }
    buffer_.setMarkedText(text);
    if (hooks_.didChange) {
        hooks_.didChange();
    }
}

bool TextInputEditor::deleteBackward() {
    if (buffer_.hasMarkedText()) {
        return false; // the input method edits its own composition
    }
    const auto range = buffer_.deletionRange();
    return !range.empty() && replaceRange(range, {}, false);
}

bool TextInputEditor::deleteForward() {
    if (buffer_.hasMarkedText()) {
        return false;
    }
    auto range = buffer_.selection();
    if (range.empty()) {
        range.end = TextEditingBuffer::nextBoundary(buffer_.text(), range.start);
    }
    return !range.empty() && replaceRange(range, {}, false);
}

bool TextInputEditor::paste() {
    auto pasted = UIPasteboard::generalPasteboard().string();
    return pasted && !pasted->empty() && insert(*pasted);
}

NSRange TextInputEditor::selectedRange() const {
    return TextEditingBuffer::utf16Range(buffer_.text(), buffer_.selection());
}

void TextInputEditor::setSelectedRange(NSRange range) {
    buffer_.setSelection(TextEditingBuffer::byteRange(buffer_.text(), range));
}

std::optional<NSRange> TextInputEditor::markedTextRange() const {
    const auto& marked = buffer_.markedRange();
    if (!marked) {
        return std::nullopt;
    }
    return TextEditingBuffer::utf16Range(buffer_.text(), *marked);
}

bool TextInputEditor::replaceRange(TextEditingBuffer::Range range, std::string replacement, bool composing) {
    const std::string& current = buffer_.text();
    const NSRange asked = TextEditingBuffer::utf16Range(current, range);
    auto dropComposition = [&] {
        if (!composing) {
            return false;
        }
        buffer_.replace(range, {});
        if (hooks_.didChange) {
            hooks_.didChange();
        }
        return true;
    };
    if (hooks_.shouldChange && !hooks_.shouldChange(asked, replacement)) {
        return dropComposition();
    }
    if (hooks_.maximumLength) {
        if (const auto maximum = hooks_.maximumLength()) {
            const std::size_t kept = TextEditingBuffer::utf16Length(current) - asked.length;
            const std::size_t room = *maximum > kept ? *maximum - kept : 0;
            replacement = std::string(TextEditingBuffer::prefixFitting(replacement, room));
            if (replacement.empty() && range.empty()) {
                return dropComposition();
            }
        }
    }
    buffer_.replace(range, replacement);
    if (hooks_.didChange) {
        hooks_.didChange();
    }
    return true;
}
