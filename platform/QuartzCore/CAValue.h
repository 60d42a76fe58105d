#pragma once

#include "platform/CoreGraphics/CGAffineTransform.h"
#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/CoreGraphics/CGPath.h"
#include "platform/UIKit/UIColor.h"

#include <optional>
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

} // namespace CAValues
