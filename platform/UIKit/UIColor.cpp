#include "platform/UIKit/UIColor.h"

#include <algorithm>
#include <cmath>

namespace {
// Out-of-range components are clamped; a NaN becomes 0.
double unit(double v) {
    return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0);
}
} // namespace

UIColor UIColor::colorWithRed(double red, double green, double blue, double alpha) {
    return {unit(red), unit(green), unit(blue), unit(alpha)};
}

UIColor UIColor::colorWithWhite(double white, double alpha) {
    return {unit(white), unit(white), unit(white), unit(alpha)};
}

UIColor UIColor::colorWithAlphaComponent(double newAlpha) const {
    return {red, green, blue, unit(newAlpha)};
}

UIColor UIColor::interpolate(const UIColor& from, const UIColor& to, double t) {
    auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return {mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue),
            mix(from.alpha, to.alpha)};
}
