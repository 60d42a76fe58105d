#pragma once

#include "platform/UIKit/UIView.h"

#include <memory>

// Puts view in the slot of one of a cell's part views (background, selected background,
// accessory) in place of the view there, which leaves its superview. Answers false, and
// changes nothing, when view already is the one there; the caller then places the new one.
inline bool replaceCellPartView(std::shared_ptr<UIView>& slot, std::shared_ptr<UIView> view) {
    if (slot == view) {
        return false;
    }
    if (slot) {
        slot->removeFromSuperview();
    }
    slot = std::move(view);
    return true;
}
