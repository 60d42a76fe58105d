#pragma once

#include "platform/UIKit/Controls/UIButton.h"

#include <functional>

enum class QMUIButtonImagePosition { top, left, bottom, right };

// A corner radius that follows the button's height (a pill).
inline constexpr CGFloat QMUIButtonCornerRadiusAdjustsBounds = -1;

// A button that places its image on any side of the title with a given space between
// them, dims as a whole while highlighted or disabled, and runs a tap block.
class QMUIButton : public UIButton {
  public:
    explicit QMUIButton(const CGRect& frame = CGRectZero);

    QMUIButtonImagePosition imagePosition() const { return imagePosition_; }
    void setImagePosition(QMUIButtonImagePosition position);
    CGFloat spacingBetweenImageAndTitle() const { return spacing_; }
    void setSpacingBetweenImageAndTitle(CGFloat spacing);
    // A radius, or QMUIButtonCornerRadiusAdjustsBounds for half the height.
    CGFloat cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(CGFloat radius);
    bool adjustsButtonWhenHighlighted = true;
    bool adjustsButtonWhenDisabled = true;

    // Runs on every tap (touch up inside), replacing the block set before.
    void setQmui_tapBlock(std::function<void(UIControl& sender)> block);

    void layoutSubviews() override;

  protected:
    void stateDidChange() override;

  private:
    QMUIButtonImagePosition imagePosition_ = QMUIButtonImagePosition::left;
    CGFloat spacing_ = 0;
    CGFloat cornerRadius_ = 0;
    std::optional<UIControl::ActionId> tapAction_;
};
