#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

#include <optional>

class UIView;

// The least height the constraints naming `view` allow when it is `width` wide (the
// height self-sizing rows and items take); nothing when no constraint names the view.
std::optional<CGFloat> constrainedHeightForWidth(UIView& view, CGFloat width);
