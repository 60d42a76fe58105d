#include "platform/UIKit/NSAttributedString.h"

#include <glib.h>

#include <algorithm>

namespace {

std::string validUTF8(const std::string& text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        return text;
    }
    gchar* fixed = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(fixed);
    g_free(fixed);
    return result;
}

// UTF-16 code units of the UTF-8 sequence starting with `lead`.
std::size_t utf16Units(unsigned char lead) {
    return lead >= 0xF0 ? 2 : 1;
}

std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    return 2;
}

render::TextAlignment alignmentFor(NSTextAlignment alignment) {
    switch (alignment) {
    case NSTextAlignment::center:
        return render::TextAlignment::center;
    case NSTextAlignment::right:
        return render::TextAlignment::right;
    case NSTextAlignment::justified:
        return render::TextAlignment::justified;
    default:
        return render::TextAlignment::left;
    }
}

render::LineBreakMode lineBreakFor(NSLineBreakMode mode) {
    switch (mode) {
    case NSLineBreakMode::byCharWrapping:
        return render::LineBreakMode::charWrap;
    case NSLineBreakMode::byClipping:
        return render::LineBreakMode::clip;
    case NSLineBreakMode::byTruncatingHead:
        return render::LineBreakMode::truncateHead;
    case NSLineBreakMode::byTruncatingTail:
        return render::LineBreakMode::truncateTail;
    case NSLineBreakMode::byTruncatingMiddle:
        return render::LineBreakMode::truncateMiddle;
    default:
        return render::LineBreakMode::wordWrap;
    }
}

// The font of text that names none.
const UIFont& defaultFont() {
    static const UIFont font = UIFont::systemFontOfSize(12);
    return font;
}

render::RGBA rgba(const UIColor& color) {
    return {color.red, color.green, color.blue, color.alpha};
}

} // namespace

void NSAttributedString::Attributes::merge(const Attributes& other) {
    if (other.font)
        font = other.font;
    if (other.foregroundColor)
        foregroundColor = other.foregroundColor;
    if (other.paragraphStyle)
        paragraphStyle = other.paragraphStyle;
    if (other.kern)
        kern = other.kern;
    if (other.underlineStyle)
        underlineStyle = other.underlineStyle;
    if (other.strikethroughStyle)
        strikethroughStyle = other.strikethroughStyle;
}

NSAttributedString::NSAttributedString(const std::string& string, const Attributes& attributes)
    : string_(validUTF8(string)) {
    if (!string_.empty()) {
        runs_.push_back({0, string_.size(), attributes});
    }
}

std::size_t NSAttributedString::length() const {
    std::size_t units = 0;
    for (std::size_t i = 0; i < string_.size(); i += sequenceLength(static_cast<unsigned char>(string_[i]))) {
        units += utf16Units(static_cast<unsigned char>(string_[i]));
    }
    return units;
}

std::size_t NSAttributedString::byteOffset(std::size_t index) const {
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < string_.size()) {
        const std::size_t next = units + utf16Units(static_cast<unsigned char>(string_[i]));
        // An index inside a surrogate pair belongs to the character it splits.
        if (next > index) {
            return i;
        }
        units = next;
        i += sequenceLength(static_cast<unsigned char>(string_[i]));
    }
    return string_.size();
}

NSAttributedString::Attributes NSAttributedString::attributesAtIndex(std::size_t index) const {
    if (runs_.empty()) {
        return {};
    }
    const std::size_t offset = byteOffset(index);
    for (const Run& run : runs_) {
        if (offset < run.end) {
            return run.attributes;
        }
    }
    return runs_.back().attributes;
}

void NSAttributedString::mergeAdjacentRuns() {
    std::vector<Run> merged;
    for (Run& run : runs_) {
        if (run.start >= run.end) {
            continue;
        }
        if (!merged.empty() && merged.back().attributes == run.attributes && merged.back().end == run.start) {
            merged.back().end = run.end;
        } else {
            merged.push_back(std::move(run));
        }
    }
    runs_ = std::move(merged);
}

render::TextSpec NSAttributedString::textSpec(std::optional<CGFloat> width, int maxLines) const {
    render::TextSpec spec;
    spec.text = string_;
    const Attributes first = runs_.empty() ? Attributes{} : runs_.front().attributes;
    spec.baseFont = first.font.value_or(defaultFont()).fontSpec();
    const NSParagraphStyle paragraph = first.paragraphStyle.value_or(NSParagraphStyle{});
    spec.alignment = alignmentFor(paragraph.alignment);
    spec.lineBreakMode = lineBreakFor(paragraph.lineBreakMode);
    spec.lineSpacing = paragraph.lineSpacing;
    spec.width = width;
    spec.maxLines = std::max(0, maxLines);
    for (const Run& run : runs_) {
        render::TextSpan span;
        span.start = run.start;
        span.end = run.end;
        span.font = run.attributes.font.value_or(defaultFont()).fontSpec();
        if (run.attributes.foregroundColor) {
            span.color = rgba(*run.attributes.foregroundColor);
        }
        span.kern = run.attributes.kern.value_or(0);
        span.underline =
            run.attributes.underlineStyle.value_or(NSUnderlineStyle::none) != NSUnderlineStyle::none;
        span.strikethrough =
            run.attributes.strikethroughStyle.value_or(NSUnderlineStyle::none) != NSUnderlineStyle::none;
        spec.spans.push_back(span);
    }
    return spec;
}

std::shared_ptr<const render::TextLayout> NSAttributedString::layout(std::optional<CGFloat> width,
                                                                     int maxLines) const {
    return render::layoutText(textSpec(width, maxLines));
}

CGRect NSAttributedString::boundingRectWithSize(CGSize size, NSStringDrawingOptions options) const {
    std::optional<CGFloat> width;
    if ((options & NSStringDrawingUsesLineFragmentOrigin) != 0 && size.width > 0 &&
        size.width < CGFLOAT_MAX) {
        width = size.width;
    }
    return {CGPointZero, layout(width, 0)->size()};
}

template <typename Change> void NSMutableAttributedString::changeRange(NSRange range, Change change) {
    const std::size_t start = byteOffset(range.location);
    const std::size_t end =
        range.length > NSNotFound - range.location ? string_.size() : byteOffset(range.end());
    if (start >= end) {
        return;
    }
    std::vector<Run> split;
    for (const Run& run : runs_) {
        // Cut each run at the range's edges, then change the pieces inside.
        std::size_t cuts[] = {run.start, std::clamp(start, run.start, run.end),
                              std::clamp(end, run.start, run.end), run.end};
        for (int i = 0; i < 3; ++i) {
            if (cuts[i] >= cuts[i + 1]) {
                continue;
            }
            Run piece{cuts[i], cuts[i + 1], run.attributes};
            if (i == 1) {
                change(piece.attributes);
            }
            split.push_back(std::move(piece));
        }
    }
    runs_ = std::move(split);
    mergeAdjacentRuns();
}

void NSMutableAttributedString::addAttributes(const Attributes& attributes, NSRange range) {
    changeRange(range, [&](Attributes& current) { current.merge(attributes); });
}

void NSMutableAttributedString::setAttributes(const Attributes& attributes, NSRange range) {
    changeRange(range, [&](Attributes& current) { current = attributes; });
}

void NSMutableAttributedString::appendAttributedString(const NSAttributedString& other) {
    const std::size_t offset = string_.size();
    string_ += other.string();
    for (Run run : other.runs()) {
        run.start += offset;
        run.end += offset;
        runs_.push_back(std::move(run));
    }
    mergeAdjacentRuns();
}

CGRect boundingRectWithSize(const std::string& text, CGSize size, NSStringDrawingOptions options,
                            const NSAttributedString::Attributes& attributes) {
    return NSAttributedString(text, attributes).boundingRectWithSize(size, options);
}
