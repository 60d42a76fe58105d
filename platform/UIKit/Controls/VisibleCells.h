#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/Controls/NSIndexPath.h"

#include <map>
#include <memory>
#include <optional>
#include <vector>

// The cells a list (table or collection view) shows, by index path in order, and the
// questions both kinds of list ask of them.
template <class Cell> using VisibleCells = std::map<NSIndexPath, std::shared_ptr<Cell>>;

template <class Cell> std::vector<std::shared_ptr<Cell>> cellsOf(const VisibleCells<Cell>& shown) {
    std::vector<std::shared_ptr<Cell>> cells;
    for (const auto& [path, cell] : shown) {
        cells.push_back(cell);
    }
    return cells;
}

// A copy of the paths, so that the caller may remove cells while going through them.
template <class Cell> std::vector<NSIndexPath> indexPathsOf(const VisibleCells<Cell>& shown) {
    std::vector<NSIndexPath> paths;
    for (const auto& [path, cell] : shown) {
        paths.push_back(path);
    }
    return paths;
}

template <class Cell> std::shared_ptr<Cell> cellAt(const VisibleCells<Cell>& shown, const NSIndexPath& path) {
    auto found = shown.find(path);
    return found != shown.end() ? found->second : nullptr;
}

template <class Cell>
std::optional<NSIndexPath> indexPathOf(const VisibleCells<Cell>& shown, const Cell& cell) {
    for (const auto& [path, candidate] : shown) {
        if (candidate.get() == &cell) {
            return path;
        }
    }
    return std::nullopt;
}

// The cell whose frame (in the list's coordinates) contains point.
template <class Cell> std::shared_ptr<Cell> cellContaining(const VisibleCells<Cell>& shown, CGPoint point) {
    for (const auto& [path, cell] : shown) {
        if (cell->frame().contains(point)) {
            return cell;
        }
    }
    return nullptr;
}
