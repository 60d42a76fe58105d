#include "platform/UIKit/Controllers/BarBackground.h"

void applyBarBackground(CALayer& background, CALayer& shadow, const BarBackgroundLook& look) {
    background.setContents(look.backgroundImage);
    if (look.backgroundImage) {
        background.setBackgroundColor(std::nullopt);
    } else {
        const UIColor base = look.barTintColor.value_or(look.dark ? UIColor::colorWithWhite(0.11, 1)
                                                                  : UIColor::colorWithWhite(0.976, 1));
        background.setBackgroundColor(look.translucent ? base.colorWithAlphaComponent(0.94) : base);
    }
    shadow.setContents(look.shadowImage);
    shadow.setBackgroundColor(look.shadowImage ? std::nullopt
                                               : std::optional(UIColor::colorWithWhite(0, 0.3)));
}
