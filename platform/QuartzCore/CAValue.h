#pragma once

#include "platform/CoreGraphics/CGAffineTransform.h"
#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/CoreGraphics/CGPath.h"
#include "platform/UIKit/UIColor.h"

#include <optional>
#include <type_traits>
#include <variant>
#include <vector>

// The value of an animatable layer property: what animations store as from/to values and
// keyframes, and what a layer answers for a key path. Colours and paths are optional
// because "no colour" and "no path" are values of their own.
using CAValue = std::variant<double, CGPoint, CGSize, CGRect, CGAffineTransform, std::optional<UIColor>,
                             std::optional<CGPath>, std::vector<UIColor>, std::vector<double>>;

namespace CAValues {

// The value a fraction t of the way from `from` to `to`. Values of different kinds, and
// paths or lists that do not correspond element by element, switch at the half-way point.
CAValue interpolate(const CAValue& from, const CAValue& to, double t);
// from + by, for animations given a relative change.
CAValue add(const CAValue& from, const CAValue& by);

// Stores `value` in `field` when it holds a value of the field's type (a number, for a
// float field); whether it did. Layers use it to take values set for their key paths.
template <class T> bool store(const CAValue& value, T& field) {
    if constexpr (std::is_same_v<T, float>) {
        if (auto* number = std::get_if<double>(&value)) {
            field = static_cast<float>(*number);
            return true;
        }
    } else if (auto* typed = std::get_if<T>(&value)) {
        field = *typed;
        return true;
    }
    return false;
}

} // namespace CAValues
