#pragma once

#include "platform/UIKit/Controls/UITextField.h"

#include <cstddef>
#include <limits>

// A text field with a placeholder colour, text insets and a maximum length that typed,
// composed and pasted text all keep to. Unlike the plain field it also sends the
// editing-changed event when code changes its text.
class QMUITextField : public UITextField {
  public:
    explicit QMUITextField(const CGRect& frame = CGRectZero);

    UIColor placeholderColor() const { return placeholderColorValue(); }
    void setPlaceholderColor(const UIColor& color) { setPlaceholderColorValue(color); }
    UIEdgeInsets textInsetsValue() const { return textInsets_; }
    void setTextInsets(const UIEdgeInsets& insets);
    // UTF-16 units; the largest value means no limit.
    std::size_t maximumTextLength() const { return maximumTextLength_; }
    void setMaximumTextLength(std::size_t length) { maximumTextLength_ = length; }

    void setText(const std::string& text) override;

  protected:
    UIEdgeInsets textInsets() const override { return textInsets_; }
    std::optional<std::size_t> maximumLength() const override;

  private:
    UIEdgeInsets textInsets_{0, 7, 0, 7};
    std::size_t maximumTextLength_ = std::numeric_limits<std::size_t>::max();
};
