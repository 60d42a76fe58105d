#pragma once

#include "platform/UIKit/Controls/UICollectionView.h"
#include "tests/support/ui/UIDriver.h"

#include <gtest/gtest.h>

#include <memory>

namespace testsupport::app {

// What a person sees of a grid's cells in sight, in window points: how many cells stand in
// the top row and where it starts, the size of its first cell, the space at either side of
// that row and the narrowest and widest gaps between its cells.
struct GridShape {
    int columns = 0;
    CGFloat top = 0;
    CGSize item;
    CGFloat leftMargin = 0;
    CGFloat rightMargin = 0;
    CGFloat narrowestGap = 0;
    CGFloat widestGap = 0;
    // Every cell in sight has the first cell's size.
    bool sameSizes = true;
    // No cell in sight reaches past the window's left or right edge.
    bool insideWindow = true;
};

GridShape gridShapeOf(const testsupport::ui::UIDriver& driver, const std::shared_ptr<UICollectionView>& grid);

// Whether the grid shows `columns` cells of one size across its top row, evenly spaced
// between equal side margins, none cut off by the window's sides.
testing::AssertionResult hasEvenColumns(const GridShape& shape, int columns);

} // namespace testsupport::app
