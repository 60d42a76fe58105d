#include "platform/YYText/NSAttributedString+YYText.h"

namespace {

NSRange wholeText(const NSAttributedString& text) {
    return NSMakeRange(0, text.length());
}

} // namespace

std::optional<UIColor> yy_color(const NSAttributedString& text) {
    if (text.length() == 0) {
        return std::nullopt;
    }
    return text.attributesAtIndex(0).foregroundColor;
}

void setYy_color(NSMutableAttributedString& text, const UIColor& color) {
    yy_setColor(text, color, wholeText(text));
}

std::optional<UIFont> yy_font(const NSAttributedString& text) {
    if (text.length() == 0) {
        return std::nullopt;
    }
    return text.attributesAtIndex(0).font;
}

void setYy_font(NSMutableAttributedString& text, const UIFont& font) {
    yy_setFont(text, font, wholeText(text));
}

void yy_setColor(NSMutableAttributedString& text, const UIColor& color, NSRange range) {
    NSAttributedString::Attributes attributes;
    attributes.foregroundColor = color;
    text.addAttributes(attributes, range);
}

void yy_setFont(NSMutableAttributedString& text, const UIFont& font, NSRange range) {
    NSAttributedString::Attributes attributes;
    attributes.font = font;
    text.addAttributes(attributes, range);
}
