#include "platform/UIKit/LayoutItem.h"

#include "platform/UIKit/LayoutItemState.h"

LayoutItem::LayoutItem() = default;

// Views and guides tell the layout engine they go away before this runs.
LayoutItem::~LayoutItem() = default;
