#pragma once

#include "platform/UIKit/Controls/UITextView.h"

#include <cstddef>
#include <limits>

// A text view with a placeholder (and its colour) and a maximum length that typed,
// composed and pasted text all keep to.
class QMUITextView : public UITextView {
  public:
    explicit QMUITextView(const CGRect& frame = CGRectZero) : UITextView(frame) {}

    const std::string& placeholder() const { return placeholderValue(); }
    void setPlaceholder(const std::string& placeholder) { setPlaceholderValue(placeholder); }
    const UIColor& placeholderColor() const { return placeholderColorValue(); }
    void setPlaceholderColor(const UIColor& color) { setPlaceholderColorValue(color); }
    // UTF-16 units; the largest value means no limit.
    std::size_t maximumTextLength() const { return maximumTextLength_; }
    void setMaximumTextLength(std::size_t length) { maximumTextLength_ = length; }

  protected:
    std::optional<std::size_t> maximumLength() const override {
        if (maximumTextLength_ == std::numeric_limits<std::size_t>::max()) {
            return std::nullopt;
        }
        return maximumTextLength_;
    }

  private:
    std::size_t maximumTextLength_ = std::numeric_limits<std::size_t>::max();
};
