#pragma once

#include "platform/UIKit/UIView.h"

// The part of `receiver` that lies inside the visible area of `view` (its bounds, which a
// scroll view moves with its content offset) made smaller by `insets`, in `view`'s
// coordinates; an empty rectangle when they do not overlap. Lists use its height to find
// the cell that shows most.
CGRect intersectionWithView(const UIView& receiver, const UIView& view, const UIEdgeInsets& insets);
