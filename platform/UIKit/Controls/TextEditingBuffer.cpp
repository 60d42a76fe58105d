#include "platform/UIKit/Controls/TextEditingBuffer.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <algorithm>
#include <memory>

namespace {

// Grapheme cluster boundaries over UTF-8 (ICU's UTF-8 text indexes by byte offset).
class CharacterBoundaries {
  public:
    explicit CharacterBoundaries(std::string_view text) {
        UErrorCode status = U_ZERO_ERROR;
        text_ = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
        iterator_.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_SUCCESS(status) && iterator_) {
            iterator_->setText(text_, status);
        }
        valid_ = U_SUCCESS(status) && iterator_ != nullptr;
    }
    ~CharacterBoundaries() { utext_close(text_); }
    CharacterBoundaries(const CharacterBoundaries&) = delete;
    CharacterBoundaries& operator=(const CharacterBoundaries&) = delete;

    bool valid() const { return valid_; }
    int32_t preceding(std::size_t offset) { return iterator_->preceding(static_cast<int32_t>(offset)); }
    int32_t following(std::size_t offset) { return iterator_->following(static_cast<int32_t>(offset)); }
    bool isBoundary(std::size_t offset) { return iterator_->isBoundary(static_cast<int32_t>(offset)); }
    int32_t previous() { return iterator_->previous(); }

  private:
    UText* text_ = nullptr;
    std::unique_ptr<icu::BreakIterator> iterator_;
    bool valid_ = false;
};

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Byte length of the UTF-8 sequence starting with `lead` (1 for stray bytes).
std::size_t sequenceLength(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

// Moves `offset` back onto a character boundary of `text`.
std::size_t alignedBoundary(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    if (offset == 0 || offset == text.size()) {
        return offset;
    }
    CharacterBoundaries boundaries(text);
    if (!boundaries.valid() || boundaries.isBoundary(offset)) {
        while (offset > 0 && offset < text.size() && isContinuationByte(text[offset])) {
            --offset;
        }
        return offset;
    }
    // ICU first moves an offset inside a UTF-8 sequence to the sequence's start; the
    // boundary before the next one is the one at or before the offset.
    boundaries.following(offset);
    return static_cast<std::size_t>(std::max<int32_t>(0, boundaries.previous()));
}

} // namespace

void TextEditingBuffer::setText(std::string text) {
    text_ = std::move(text);
    marked_.reset();
    selection_ = {text_.size(), text_.size()};
    anchor_ = text_.size();
}

void TextEditingBuffer::setSelection(Range range) {
    std::size_t start = alignedBoundary(text_, std::min(range.start, range.end));
    std::size_t end = alignedBoundary(text_, std::max(range.start, range.end));
    selection_ = {start, end};
    anchor_ = start;
}

void TextEditingBuffer::replace(Range range, std::string_view text) {
    range.start = std::min(range.start, text_.size());
    range.end = std::clamp(range.end, range.start, text_.size());
    text_.replace(range.start, range.length(), text);
    marked_.reset();
    const std::size_t caret = range.start + text.size();
    selection_ = {caret, caret};
    anchor_ = caret;
}

void TextEditingBuffer::setMarkedText(std::string_view text) {
    const Range range = replacementRange();
    text_.replace(range.start, range.length(), text);
    const std::size_t end = range.start + text.size();
    if (text.empty()) {
        marked_.reset();
    } else {
        marked_ = Range{range.start, end};
    }
    selection_ = {end, end};
    anchor_ = end;
}

TextEditingBuffer::Range TextEditingBuffer::deletionRange() const {
    if (!selection_.empty()) {
        return selection_;
    }
    return {previousBoundary(text_, selection_.start), selection_.start};
}

void TextEditingBuffer::collapseOrExtend(std::size_t caret, bool extend) {
    marked_.reset();
    if (extend) {
        selection_ = {std::min(anchor_, caret), std::max(anchor_, caret)};
    } else {
        selection_ = {caret, caret};
        anchor_ = caret;
    }
}

void TextEditingBuffer::moveLeft(bool extend) {
    if (!extend && !selection_.empty()) {
        collapseOrExtend(selection_.start, false);
        return;
    }
    const std::size_t moving = extend && selection_.start == anchor_ ? selection_.end : selection_.start;
    collapseOrExtend(previousBoundary(text_, moving), extend);
}

void TextEditingBuffer::moveRight(bool extend) {
    if (!extend && !selection_.empty()) {
        collapseOrExtend(selection_.end, false);
        return;
    }
    const std::size_t moving = extend && selection_.end == anchor_ ? selection_.start : selection_.end;
    collapseOrExtend(nextBoundary(text_, moving), extend);
}

void TextEditingBuffer::moveToStart(bool extend) {
    collapseOrExtend(0, extend);
}

void TextEditingBuffer::moveToEnd(bool extend) {
    collapseOrExtend(text_.size(), extend);
}

std::size_t TextEditingBuffer::previousBoundary(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    if (offset == 0) {
        return 0;
    }
    CharacterBoundaries boundaries(text);
    if (boundaries.valid()) {
        const int32_t previous = boundaries.preceding(offset);
        if (previous != icu::BreakIterator::DONE) {
            return static_cast<std::size_t>(previous);
        }
    }
    do {
        --offset;
    } while (offset > 0 && isContinuationByte(text[offset]));
    return offset;
}

std::size_t TextEditingBuffer::nextBoundary(std::string_view text, std::size_t offset) {
    if (offset >= text.size()) {
        return text.size();
    }
    CharacterBoundaries boundaries(text);
    if (boundaries.valid()) {
        const int32_t next = boundaries.following(offset);
        if (next != icu::BreakIterator::DONE) {
            return static_cast<std::size_t>(next);
        }
    }
    return std::min(text.size(), offset + sequenceLength(static_cast<unsigned char>(text[offset])));
}

std::size_t TextEditingBuffer::utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(text[i]));
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return units;
}

NSRange TextEditingBuffer::utf16Range(std::string_view text, Range range) {
    const std::size_t start = std::min(range.start, text.size());
    const std::size_t end = std::clamp(range.end, start, text.size());
    const std::size_t location = utf16Length(text.substr(0, start));
    return {location, utf16Length(text.substr(start, end - start))};
}

TextEditingBuffer::Range TextEditingBuffer::byteRange(std::string_view text, NSRange range) {
    auto offsetOf = [&](std::size_t units) {
        std::size_t counted = 0;
        std::size_t i = 0;
        while (i < text.size() && counted < units) {
            const std::size_t length = sequenceLength(static_cast<unsigned char>(text[i]));
            counted += length == 4 ? 2 : 1;
            i = std::min(text.size(), i + length);
        }
        return i;
    };
    const std::size_t start = offsetOf(range.location);
    return {start, std::max(start, offsetOf(range.location + range.length))};
}

std::string_view TextEditingBuffer::prefixFitting(std::string_view text, std::size_t maxUnits) {
    if (utf16Length(text) <= maxUnits) {
        return text;
    }
    CharacterBoundaries boundaries(text);
    std::size_t fitting = 0;
    std::size_t units = 0;
    std::size_t offset = 0;
    while (offset < text.size()) {
        std::size_t next = text.size();
        if (boundaries.valid()) {
            const int32_t following = boundaries.following(offset);
            next = following == icu::BreakIterator::DONE ? text.size() : static_cast<std::size_t>(following);
        } else {
            next = std::min(text.size(), offset + sequenceLength(static_cast<unsigned char>(text[offset])));
        }
        units += utf16Length(text.substr(offset, next - offset));
        if (units > maxUnits) {
            break;
        }
        fitting = next;
        offset = next;
    }
    return text.substr(0, fitting);
}
