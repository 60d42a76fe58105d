#include "app/Extensions/TextMeasurement.h"

#include "platform/UIKit/NSAttributedString.h"

#include <algorithm>
#include <cmath>

namespace {

CGSize measured(const std::string& text, const UIFont& font, CGFloat maxWidth) {
    NSAttributedString::Attributes attributes;
    attributes.font = font;
    return boundingRectWithSize(text, {maxWidth, CGFLOAT_MAX},
                                NSStringDrawingUsesLineFragmentOrigin | NSStringDrawingUsesFontLeading,
                                attributes)
        .size;
}

} // namespace

CGFloat textWidth(const std::string& text, const UIFont& font, CGFloat maxWidth) {
    return text.empty() ? 0 : std::ceil(std::min(measured(text, font, maxWidth).width, maxWidth));
}

CGFloat textHeight(const std::string& text, const UIFont& font, CGFloat maxWidth) {
    return text.empty() ? 0 : std::ceil(measured(text, font, maxWidth).height);
}

CGSize textSize(const std::string& text, const UIFont& font, CGFloat maxWidth) {
    if (text.empty()) {
        return CGSizeZero;
    }
    const CGSize size = measured(text, font, maxWidth);
    return {std::ceil(std::min(size.width, maxWidth)), std::ceil(size.height)};
}

CGSize textSize(const std::string& text, const UIFont& font, CGFloat maxWidth, int maxRowNumber) {
    CGSize size = textSize(text, font, maxWidth);
    size.height = std::ceil(std::min(size.height, font.lineHeight() * maxRowNumber));
    return size;
}
