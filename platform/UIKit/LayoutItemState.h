#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/SnapKit/CassowaryTypes.h"

#include <array>
#include <optional>
#include <vector>

class NSLayoutConstraint;

// What the layout engine keeps for one item: its variables (in the coordinate space of
// the topmost superview, ignoring scroll offsets) and the constraints it made for it.
struct LayoutItemState {
    cassowary::Variable left;
    cassowary::Variable top;
    cassowary::Variable width;
    cassowary::Variable height;

    // Required constraints pinning a frame-based view to its frame, or a guide to its
    // owning view's inset bounds; their constants follow frames and insets.
    std::array<std::optional<cassowary::ConstraintId>, 4> placement;
    // x, y, width, height the placement constants were last given.
    std::array<CGFloat, 4> placedValues{};
    bool placedRelativeToSuperview = false;

    // Content hugging (<=) and compression resistance (>=) for width and height.
    std::array<std::optional<cassowary::ConstraintId>, 4> intrinsic;
    CGSize intrinsicSize{-1, -1};
    // The width the intrinsic size was measured for, when it depends on the width.
    CGFloat measuredWidth = -1;

    // Active constraints naming the item.
    std::vector<NSLayoutConstraint*> constraints;
};
