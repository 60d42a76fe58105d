#include "platform/UIKit/UILabel.h"

#include "platform/UIKit/UIScreen.h"
#include "platform/render/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Intrinsic sizes are whole screen pixels, rounded up so that text never clips.
CGFloat ceilToPixels(CGFloat value) {
    const double scale = UIScreen::mainScreen().scale();
    return std::ceil(value * scale - 1e-6) / scale;
}

// The UTF-16 index of a byte offset of UTF-8 text.
std::size_t utf16Index(const std::string& text, std::size_t byteOffset) {
    std::size_t index = 0;
    for (std::size_t i = 0; i < byteOffset && i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        index += length == 4 ? 2 : 1;
        i += length;
    }
    return index;
}

} // namespace

UILabel::UILabel(const CGRect& frame) : UIView(frame) {
    layer()->setDelegate(this);
    setUserInteractionEnabled(false);
}

UILabel::~UILabel() {
    layer()->setDelegate(nullptr);
}

void UILabel::textChanged() {
    layouts_.clear();
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
}

void UILabel::styleChanged() {
    layouts_.clear();
    setNeedsDisplay();
}

void UILabel::setText(const std::string& text) {
    if (text_ == text && !attributedText_) {
        return;
    }
    text_ = text;
    attributedText_.reset();
    textChanged();
}

void UILabel::setAttributedText(std::optional<NSAttributedString> text) {
    if (attributedText_ == text) {
        return;
    }
    text_ = text ? text->string() : std::string();
    attributedText_ = std::move(text);
    textChanged();
}

NSAttributedString UILabel::attributedText() const {
    NSAttributedString::Attributes style;
    style.font = font_;
    style.foregroundColor = textColor_;
    NSParagraphStyle paragraph;
    paragraph.alignment = textAlignment_;
    paragraph.lineBreakMode = lineBreakMode_;
    style.paragraphStyle = paragraph;
    if (!attributedText_) {
        return NSAttributedString(text_, style);
    }
    // Attributes the attributed text leaves unset take the label's.
    NSMutableAttributedString shown(attributedText_->string(), style);
    for (const auto& run : attributedText_->runs()) {
        const std::size_t start = utf16Index(attributedText_->string(), run.start);
        const std::size_t end = utf16Index(attributedText_->string(), run.end);
        shown.addAttributes(run.attributes, NSRange{start, end - start});
    }
    return shown;
}

void UILabel::setFont(const UIFont& font) {
    if (font_ == font) {
        return;
    }
    font_ = font;
    textChanged();
}

void UILabel::setTextColor(const UIColor& color) {
    if (textColor_ == color) {
        return;
    }
    textColor_ = color;
    styleChanged();
}

void UILabel::setTextAlignment(NSTextAlignment alignment) {
    if (textAlignment_ == alignment) {
        return;
    }
    textAlignment_ = alignment;
    styleChanged();
}

void UILabel::setLineBreakMode(NSLineBreakMode mode) {
    if (lineBreakMode_ == mode) {
        return;
    }
    lineBreakMode_ = mode;
    textChanged();
}

void UILabel::setNumberOfLines(int lines) {
    lines = std::max(0, lines);
    if (numberOfLines_ == lines) {
        return;
    }
    numberOfLines_ = lines;
    textChanged();
}

void UILabel::setPreferredMaxLayoutWidth(CGFloat width) {
    if (preferredMaxLayoutWidth_ == width) {
        return;
    }
    preferredMaxLayoutWidth_ = width;
    invalidateIntrinsicContentSize();
}

std::string UILabel::accessibilityLabel() const {
    const std::string label = UIView::accessibilityLabel();
    return label.empty() ? text_ : label;
}

std::shared_ptr<const render::TextLayout> UILabel::layoutFor(std::optional<CGFloat> width) const {
    for (const auto& cached : layouts_) {
        if (cached.width == width) {
            return cached.layout;
        }
    }
    auto layout = attributedText().layout(width, numberOfLines_);
    constexpr size_t kKept = 3;
    if (layouts_.size() == kKept) {
        layouts_.erase(layouts_.begin());
    }
    layouts_.push_back({width, layout});
    return layout;
}

CGSize UILabel::intrinsicContentSize() const {
    std::optional<CGFloat> width;
    if (numberOfLines_ != 1 && preferredMaxLayoutWidth_ > 0) {
        width = preferredMaxLayoutWidth_;
    }
    const CGSize size = layoutFor(width)->size();
    return {ceilToPixels(size.width), ceilToPixels(size.height)};
}

CGSize UILabel::intrinsicContentSizeForWidth(CGFloat width) const {
    if (numberOfLines_ == 1) {
        return intrinsicContentSize();
    }
    const CGFloat wrap = preferredMaxLayoutWidth_ > 0 ? preferredMaxLayoutWidth_ : width;
    if (wrap <= 0) {
        return intrinsicContentSize();
    }
    const CGSize size = layoutFor(wrap)->size();
    return {ceilToPixels(std::min(size.width, wrap)), ceilToPixels(size.height)};
}

CGSize UILabel::sizeThatFits(CGSize size) const {
    std::optional<CGFloat> width;
    if (numberOfLines_ != 1 && size.width > 0) {
        width = size.width;
    }
    const CGSize fitted = layoutFor(width)->size();
    return {ceilToPixels(fitted.width), ceilToPixels(fitted.height)};
}

CGRect UILabel::textRectForBounds(const CGRect& bounds, int lines) const {
    const std::optional<CGFloat> width =
        bounds.size.width > 0 ? std::optional<CGFloat>(bounds.size.width) : std::nullopt;
    const CGSize size =
        lines == numberOfLines_ ? layoutFor(width)->size() : attributedText().layout(width, lines)->size();
    return {bounds.origin,
            {std::min(size.width, bounds.size.width), std::min(size.height, bounds.size.height)}};
}

CGRect UILabel::textFrame(const CGRect& bounds) const {
    const CGSize size = layoutFor(bounds.size.width)->size();
    const CGFloat top = bounds.origin.y + std::max<CGFloat>(0, (bounds.size.height - size.height) / 2);
    const CGFloat width = std::min(size.width, bounds.size.width);
    CGFloat left = bounds.origin.x;
    if (textAlignment_ == NSTextAlignment::center) {
        left += (bounds.size.width - width) / 2;
    } else if (textAlignment_ == NSTextAlignment::right) {
        left += bounds.size.width - width;
    }
    return CGRectMake(left, top, width, std::min(size.height, bounds.size.height));
}

CGRect UILabel::contentRectForLayer(const CALayer& layer) const {
    const CGRect bounds = layer.bounds();
    if (text_.empty() || bounds.size.width <= 0 || bounds.size.height <= 0) {
        return CGRectNull;
    }
    // The text with a little room for glyphs that reach past their advance.
    return textFrame(bounds).insetBy(-2, -2).intersection(bounds);
}

void UILabel::drawLayer(CALayer& layer, cairo_t* context) {
    const CGRect bounds = layer.bounds();
    if (text_.empty() || bounds.size.width <= 0 || bounds.size.height <= 0) {
        return;
    }
    cairo_save(context);
    cairo_rectangle(context, bounds.origin.x, bounds.origin.y, bounds.size.width, bounds.size.height);
    cairo_clip(context);
    layoutFor(bounds.size.width)->draw(context, {bounds.origin.x, textFrame(bounds).origin.y});
    cairo_restore(context);
}
