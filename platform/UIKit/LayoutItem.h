#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

#include <memory>

class UIView;
struct LayoutItemState;

enum class NSLayoutAttribute {
    notAnAttribute,
    left,
    right,
    top,
    bottom,
    leading,
    trailing,
    width,
    height,
    centerX,
    centerY
};

// Something layout constraints can name: a view or a layout guide. The layout engine
// keeps the item's variables (left, top, width, height) in its state once a constraint
// names the item.
class LayoutItem {
  public:
    LayoutItem();
    LayoutItem(const LayoutItem&) = delete;
    LayoutItem& operator=(const LayoutItem&) = delete;
    virtual ~LayoutItem();

    // The view the item belongs to: a view itself, a guide its owning view.
    virtual UIView* owningView() const = 0;
    virtual std::shared_ptr<LayoutItem> sharedLayoutItem() = 0;

    LayoutItemState* layoutState() const { return layoutState_.get(); }

  private:
    friend class LayoutEngine;
    std::unique_ptr<LayoutItemState> layoutState_;
};
