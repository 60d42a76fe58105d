#pragma once

#include "platform/UIKit/NSAttributedString.h"
#include "platform/UIKit/UIFont.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace render {
class TextLayout;
}

// A read-only text: plain with one font and colour, or attributed. Its intrinsic size is
// the size of its text; with more than one line allowed it wraps at the width layout gives
// it, so its height follows its width. Text is drawn vertically centred in the bounds.
class UILabel : public UIView, public CALayerDelegate {
  public:
    explicit UILabel(const CGRect& frame = CGRectZero);
    ~UILabel() override;

    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    // The attributed text shown: the one set, else the plain text in the label's style.
    NSAttributedString attributedText() const;
    void setAttributedText(std::optional<NSAttributedString> text);
    const UIFont& font() const { return font_; }
    void setFont(const UIFont& font);
    const UIColor& textColor() const { return textColor_; }
    void setTextColor(const UIColor& color);
    NSTextAlignment textAlignment() const { return textAlignment_; }
    void setTextAlignment(NSTextAlignment alignment);
    NSLineBreakMode lineBreakMode() const { return lineBreakMode_; }
    void setLineBreakMode(NSLineBreakMode mode);
    // 0: as many lines as the text needs.
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines);
    CGFloat preferredMaxLayoutWidth() const { return preferredMaxLayoutWidth_; }
    void setPreferredMaxLayoutWidth(CGFloat width);

    std::string accessibilityLabel() const override;
    CGSize intrinsicContentSize() const override;
    bool intrinsicContentSizeDependsOnWidth() const override { return numberOfLines_ != 1; }
    CGSize intrinsicContentSizeForWidth(CGFloat width) const override;
    CGSize sizeThatFits(CGSize size) const override;
    // The rectangle the text takes inside `bounds` with at most `lines` lines (0: any).
    CGRect textRectForBounds(const CGRect& bounds, int lines) const;

    void drawLayer(CALayer& layer, cairo_t* context) override;
    CGRect contentRectForLayer(const CALayer& layer) const override;

  private:
    void textChanged();
    void styleChanged();
    std::shared_ptr<const render::TextLayout> layoutFor(std::optional<CGFloat> width) const;
    // Where the text goes inside `bounds`.
    CGRect textFrame(const CGRect& bounds) const;

    std::string text_;
    std::optional<NSAttributedString> attributedText_;
    UIFont font_ = UIFont::systemFontOfSize(17);
    UIColor textColor_ = UIColor::blackColor();
    NSTextAlignment textAlignment_ = NSTextAlignment::natural;
    NSLineBreakMode lineBreakMode_ = NSLineBreakMode::byTruncatingTail;
    int numberOfLines_ = 1;
    CGFloat preferredMaxLayoutWidth_ = 0;
    // The last few layouts made, by wrapping width: drawing, measuring and intrinsic sizes
    // ask for the same ones again and again.
    struct CachedLayout {
        std::optional<CGFloat> width;
        std::shared_ptr<const render::TextLayout> layout;
    };
    mutable std::vector<CachedLayout> layouts_;
};
