#pragma once

#include "platform/UIKit/UIColor.h"

#include <memory>

// An effect a visual-effect view shows over what lies behind it.
class UIVisualEffect {
  public:
    virtual ~UIVisualEffect() = default;
};

// The materials a blur effect can be made of (the platform's numbering).
enum class UIBlurEffectStyle { systemUltraThinMaterialDark = 16 };

// A blur of what lies behind, covered by the material's tint.
class UIBlurEffect : public UIVisualEffect {
  public:
    static std::shared_ptr<UIBlurEffect> effectWithStyle(UIBlurEffectStyle style) {
        return std::make_shared<UIBlurEffect>(style);
    }
    explicit UIBlurEffect(UIBlurEffectStyle style) : style_(style) {}

    UIBlurEffectStyle style() const { return style_; }
    // The colour laid over the blurred backdrop: the ultra-thin dark material darkens it
    // a little, so that white text stays readable on light pictures.
    UIColor tintColor() const { return UIColor::colorWithWhite(0.08, 0.4); }

  private:
    UIBlurEffectStyle style_;
};
