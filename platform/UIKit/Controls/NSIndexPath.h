#pragma once

#include <cstddef>
#include <functional>

// A position in a sectioned list: a section and a row (tables) or item (collections).
// A small value type, ordered by section, then row.
struct NSIndexPath {
    long section = 0;
    long item = 0;

    static NSIndexPath indexPathForRow(long row, long section) { return {section, row}; }
    static NSIndexPath indexPathForItem(long item, long section) { return {section, item}; }
    long row() const { return item; }

    friend bool operator==(const NSIndexPath&, const NSIndexPath&) = default;
    friend auto operator<=>(const NSIndexPath&, const NSIndexPath&) = default;
};

template <> struct std::hash<NSIndexPath> {
    std::size_t operator()(const NSIndexPath& path) const noexcept {
        return std::hash<long>()(path.section) * 1000003u ^ std::hash<long>()(path.item);
    }
};
