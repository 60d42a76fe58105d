#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

enum class UIViewContentMode {
    scaleToFill,
    scaleAspectFit,
    scaleAspectFill,
    redraw,
    center,
    top,
    bottom,
    left,
    right,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight,
};

enum class UILayoutConstraintAxis { horizontal = 0, vertical = 1 };

// The size a view has no preference for.
inline constexpr CGFloat UIViewNoIntrinsicMetric = -1;

using UIViewAnimationOptions = unsigned;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionLayoutSubviews = 1u << 0;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionAllowUserInteraction = 1u << 1;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionBeginFromCurrentState = 1u << 2;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionRepeat = 1u << 3;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionAutoreverse = 1u << 4;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseInOut = 0u << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseIn = 1u << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseOut = 2u << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveLinear = 3u << 16;

using UIViewKeyframeAnimationOptions = unsigned;
inline constexpr UIViewKeyframeAnimationOptions UIViewKeyframeAnimationOptionRepeat = 1u << 3;
inline constexpr UIViewKeyframeAnimationOptions UIViewKeyframeAnimationOptionAutoreverse = 1u << 4;
inline constexpr UIViewKeyframeAnimationOptions UIViewKeyframeAnimationOptionCalculationModeLinear = 0u << 10;
inline constexpr UIViewKeyframeAnimationOptions UIViewKeyframeAnimationOptionCalculationModeDiscrete = 1u
                                                                                                       << 10;
