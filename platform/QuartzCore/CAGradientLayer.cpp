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
    if (keyPath == "colors")
        return colors_;
    if (keyPath == "locations")
        return locations_;
    if (keyPath == "startPoint")
        return startPoint_;
    if (keyPath == "endPoint")
        return endPoint_;
    return CALayer::valueForKeyPath(keyPath);
}

bool CAGradientLayer::setValueForKeyPath(const std::string& keyPath, const CAValue& value) {
    bool stored = false;
    if (keyPath == "colors")
        stored = CAValues::store(value, colors_);
    else if (keyPath == "locations")
        stored = CAValues::store(value, locations_);
    else if (keyPath == "startPoint")
        stored = CAValues::store(value, startPoint_);
    else if (keyPath == "endPoint")
        stored = CAValues::store(value, endPoint_);
    else
        return CALayer::setValueForKeyPath(keyPath, value);
    if (stored) {
        invalidateContent();
    }
    return stored;
}
