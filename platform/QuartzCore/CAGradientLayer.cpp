#include "platform/QuartzCore/CAGradientLayer.h"

#include "platform/QuartzCore/RenderColors.h"
#include "platform/render/Paint.h"

void CAGradientLayer::drawInContext(cairo_t* context) {
    if (!colors_.empty()) {
        std::vector<render::RGBA> colors;
        colors.reserve(colors_.size());
        for (const UIColor& color : colors_) {
            colors.push_back(toRGBA(color));
        }
        render::fillLinearGradient(context, bounds(), colors, locations_, startPoint_, endPoint_);
    }
    CALayer::drawInContext(context);
}

bool CAGradientLayer::isContentKeyPath(const std::string& keyPath) const {
    return keyPath == "colors" || keyPath == "locations" || keyPath == "startPoint" || keyPath == "endPoint";
}

std::optional<CAValue> CAGradientLayer::valueForKeyPath(const std::string& keyPath) const {
    if (keyPath == "colors") return colors_;
    if (keyPath == "locations") return locations_;
    if (keyPath == "startPoint") return startPoint_;
    if (keyPath == "endPoint") return endPoint_;
    return CALayer::valueForKeyPath(keyPath);
}

bool CAGradientLayer::setValueForKeyPath(const std::string& keyPath, const CAValue& value) {
    bool stored = false;
    if (keyPath == "colors") {
        if (auto* colors = std::get_if<std::vector<UIColor>>(&value)) {
            colors_ = *colors;
            stored = true;
        }
    } else if (keyPath == "locations") {
        if (auto* locations = std::get_if<std::vector<double>>(&value)) {
            locations_ = *locations;
            stored = true;
        }
    } else if (keyPath == "startPoint" || keyPath == "endPoint") {
        if (auto* point = std::get_if<CGPoint>(&value)) {
            (keyPath == "startPoint" ? startPoint_ : endPoint_) = *point;
            stored = true;
        }
    } else {
        return CALayer::setValueForKeyPath(keyPath, value);
    }
    if (stored) {
        invalidateContent();
    }
    return stored;
}
