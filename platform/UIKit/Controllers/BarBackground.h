#pragma once

#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/UIColor.h"
#include "platform/UIKit/UIImage.h"

#include <memory>
#include <optional>

// What a navigation bar or tab bar shows behind its content.
struct BarBackgroundLook {
    std::shared_ptr<UIImage> backgroundImage;
    std::optional<UIColor> barTintColor;
    bool dark = false;
    bool translucent = false;
    std::shared_ptr<UIImage> shadowImage;
};

// Fills a bar's background layer with its image, else with its tint colour or the
// default colour of its style (a little see-through when translucent), and its shadow
// layer with its shadow image, else a thin dark line.
void applyBarBackground(CALayer& background, CALayer& shadow, const BarBackgroundLook& look);
