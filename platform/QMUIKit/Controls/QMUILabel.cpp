#include "platform/QMUIKit/Controls/QMUILabel.h"

#include "platform/UIKit/Controls/UIPasteboard.h"
#include "platform/UIKit/UILongPressGestureRecognizer.h"
#include "platform/render/TextLayout.h"

#include <algorithm>

QMUILabel::QMUILabel(const CGRect& frame) : UILabel(frame) {}

void QMUILabel::setContentEdgeInsets(const UIEdgeInsets& insets) {
    if (contentEdgeInsets_ == insets) {
        return;
    }
    contentEdgeInsets_ = insets;
    invalidateIntrinsicContentSize();
    setNeedsDisplay();
}

void QMUILabel::setCanPerformCopyAction(bool can) {
    if (canPerformCopyAction_ == can) {
        return;
    }
    canPerformCopyAction_ = can;
    if (can) {
        std::weak_ptr<UIView> weak = sharedView();
        copyPress_ = std::make_shared<UILongPressGestureRecognizer>([weak](UIGestureRecognizer& press) {
            auto self = std::dynamic_pointer_cast<QMUILabel>(weak.lock());
            if (!self || press.state() != UIGestureRecognizerState::began || self->text().empty()) {
                return;
            }
            UIPasteboard::generalPasteboard().setString(self->text());
            if (self->didCopyBlock) {
                self->didCopyBlock(*self, self->text());
            }
        });
        setUserInteractionEnabled(true);
        addGestureRecognizer(copyPress_);
    } else if (copyPress_) {
        removeGestureRecognizer(copyPress_);
        copyPress_.reset();
    }
}

CGRect QMUILabel::textArea(const CGRect& bounds) const {
    return UIEdgeInsetsInsetRect(bounds, contentEdgeInsets_);
}

CGSize QMUILabel::intrinsicContentSize() const {
    const CGSize size = UILabel::intrinsicContentSize();
    return {size.width + contentEdgeInsets_.left + contentEdgeInsets_.right,
            size.height + contentEdgeInsets_.top + contentEdgeInsets_.bottom};
}

CGSize QMUILabel::intrinsicContentSizeForWidth(CGFloat width) const {
    const CGFloat horizontal = contentEdgeInsets_.left + contentEdgeInsets_.right;
    const CGSize size = UILabel::intrinsicContentSizeForWidth(std::max<CGFloat>(0, width - horizontal));
    return {size.width + horizontal, size.height + contentEdgeInsets_.top + contentEdgeInsets_.bottom};
}

CGSize QMUILabel::sizeThatFits(CGSize size) const {
    const CGFloat horizontal = contentEdgeInsets_.left + contentEdgeInsets_.right;
    const CGSize fitted = UILabel::sizeThatFits(
        {size.width > 0 ? std::max<CGFloat>(1, size.width - horizontal) : 0, size.height});
    return {fitted.width + horizontal, fitted.height + contentEdgeInsets_.top + contentEdgeInsets_.bottom};
}

void QMUILabel::drawLayer(CALayer& layer, cairo_t* context) {
    const CGRect area = textArea(layer.bounds());
    if (text().empty() || area.size.width <= 0 || area.size.height <= 0) {
        return;
    }
    auto layout = attributedText().layout(area.size.width, numberOfLines());
    const CGFloat height = layout->size().height;
    layout->draw(context,
                 {area.origin.x, area.origin.y + std::max<CGFloat>(0, (area.size.height - height) / 2)});
}
