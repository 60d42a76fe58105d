#include "platform/QMUIKit/Controls/QMUITextField.h"

#include <limits>

QMUITextField::QMUITextField(const CGRect& frame) : UITextField(frame) {}

void QMUITextField::setTextInsets(const UIEdgeInsets& insets) {
    if (textInsets_ == insets) {
        return;
    }
    textInsets_ = insets;
    invalidateIntrinsicContentSize();
    setNeedsLayout();
    setNeedsDisplay();
}

std::optional<std::size_t> QMUITextField::maximumLength() const {
    if (maximumTextLength_ == std::numeric_limits<std::size_t>::max()) {
        return std::nullopt;
    }
    return maximumTextLength_;
}

void QMUITextField::setText(const std::string& text) {
    if (text == this->text()) {
        return;
    }
    UITextField::setText(text);
    auto self = sharedView();
    sendActionsForControlEvents(UIControlEventEditingChanged);
}
