#pragma once

#include "platform/UIKit/UILabel.h"

#include <functional>
#include <memory>

class UILongPressGestureRecognizer;

// A label with space around its text, and an optional long press that copies the text.
class QMUILabel : public UILabel {
  public:
    explicit QMUILabel(const CGRect& frame = CGRectZero);

    UIEdgeInsets contentEdgeInsets() const { return contentEdgeInsets_; }
    void setContentEdgeInsets(const UIEdgeInsets& insets);

    // A long press copies the text to the pasteboard, then runs didCopyBlock.
    bool canPerformCopyAction() const { return canPerformCopyAction_; }
    void setCanPerformCopyAction(bool can);
    std::function<void(QMUILabel& label, const std::string& text)> didCopyBlock;

    CGSize intrinsicContentSize() const override;
    CGSize intrinsicContentSizeForWidth(CGFloat width) const override;
    CGSize sizeThatFits(CGSize size) const override;
    void drawLayer(CALayer& layer, cairo_t* context) override;

  protected:
    // The bounds less the content edge insets.
    CGRect textArea(const CGRect& bounds) const;

  private:
    UIEdgeInsets contentEdgeInsets_;
    bool canPerformCopyAction_ = false;
    std::shared_ptr<UILongPressGestureRecognizer> copyPress_;
};
