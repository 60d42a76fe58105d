#pragma once

#include "platform/UIKit/UIControl.h"

#include <memory>
#include <optional>

// An on/off switch, 51 x 31 points. A tap flips it (animated) and sends value changed;
// setting it in code sends nothing.
class UISwitch : public UIControl {
  public:
    explicit UISwitch(const CGRect& frame = CGRectZero);

    bool isOn() const { return on_; }
    void setOn(bool on) { setOn(on, false); }
    void setOn(bool on, bool animated);
    std::optional<UIColor> onTintColor() const { return onTintColor_; }
    void setOnTintColor(std::optional<UIColor> color);
    std::optional<UIColor> thumbTintColor() const { return thumbTintColor_; }
    void setThumbTintColor(std::optional<UIColor> color);

    CGSize intrinsicContentSize() const override { return {51, 31}; }
    CGSize sizeThatFits(CGSize) const override { return {51, 31}; }
    void layoutSubviews() override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  private:
    void applyLook();

    bool on_ = false;
    std::optional<UIColor> onTintColor_;
    std::optional<UIColor> thumbTintColor_;
    std::shared_ptr<CALayer> track_;
    std::shared_ptr<CALayer> thumb_;
};
