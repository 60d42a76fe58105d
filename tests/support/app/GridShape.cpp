#include "tests/support/app/GridShape.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace testsupport::app {

GridShape gridShapeOf(const testsupport::ui::UIDriver& driver,
                      const std::shared_ptr<UICollectionView>& grid) {
    GridShape shape;
    std::vector<CGRect> frames;
    for (const auto& cell : grid->visibleCells()) {
        frames.push_back(driver.frameInWindow(cell));
    }
    if (frames.empty()) {
        return shape;
    }
    const CGFloat windowWidth = driver.window()->bounds().size.width;
    const CGFloat top = std::min_element(frames.begin(), frames.end(), [](const CGRect& a, const CGRect& b) {
                            return a.origin.y < b.origin.y;
                        })->origin.y;
    shape.top = top;
    std::vector<CGRect> row;
    for (const CGRect& frame : frames) {
        if (std::abs(frame.origin.y - top) < 0.5) {
            row.push_back(frame);
        }
        shape.insideWindow = shape.insideWindow && frame.origin.x >= 0 && CGRectGetMaxX(frame) <= windowWidth;
    }
    std::sort(row.begin(), row.end(),
              [](const CGRect& a, const CGRect& b) { return a.origin.x < b.origin.x; });
    shape.columns = static_cast<int>(row.size());
    shape.item = row.front().size;
    for (const CGRect& frame : frames) {
        shape.sameSizes = shape.sameSizes && std::abs(frame.size.width - shape.item.width) < 0.5 &&
                          std::abs(frame.size.height - shape.item.height) < 0.5;
    }
    shape.leftMargin = row.front().origin.x;
    shape.rightMargin = windowWidth - CGRectGetMaxX(row.back());
    for (std::size_t index = 1; index < row.size(); ++index) {
        const CGFloat gap = row[index].origin.x - CGRectGetMaxX(row[index - 1]);
        shape.narrowestGap = index == 1 ? gap : std::min(shape.narrowestGap, gap);
        shape.widestGap = index == 1 ? gap : std::max(shape.widestGap, gap);
    }
    return shape;
}

testing::AssertionResult hasEvenColumns(const GridShape& shape, int columns) {
    if (shape.columns != columns) {
        return testing::AssertionFailure() << shape.columns << " cells across instead of " << columns;
    }
    if (!shape.sameSizes) {
        return testing::AssertionFailure() << "cells of different sizes";
    }
    if (!shape.insideWindow) {
        return testing::AssertionFailure() << "a cell reaches past the window's side";
    }
    if (std::abs(shape.leftMargin - shape.rightMargin) > 1) {
        return testing::AssertionFailure()
               << "margins of " << shape.leftMargin << " and " << shape.rightMargin << " points";
    }
    if (shape.widestGap - shape.narrowestGap > 1) {
        return testing::AssertionFailure()
               << "gaps from " << shape.narrowestGap << " to " << shape.widestGap << " points";
    }
    return testing::AssertionSuccess();
}

} // namespace testsupport::app
