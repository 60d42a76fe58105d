#include "platform/UIKit/Controls/TableGeometry.h"

#include <algorithm>

void TableGeometry::rebuild(double tableHeaderHeight, const std::vector<Section>& sections,
                            double tableFooterHeight) {
    tableHeaderHeight_ = tableHeaderHeight;
    tableFooterHeight_ = tableFooterHeight;
    sections_.clear();
    sections_.reserve(sections.size());
    sectionTops_.assign(1, tableHeaderHeight);
    for (const auto& section : sections) {
        Placed placed{section.topPadding, section.headerHeight, section.footerHeight, {}};
        placed.rowTops.reserve(section.rowHeights.size() + 1);
        double y = 0;
        placed.rowTops.push_back(0);
        for (double height : section.rowHeights) {
            y += std::max(0.0, height);
            placed.rowTops.push_back(y);
        }
        sectionTops_.push_back(sectionTops_.back() + section.topPadding + section.headerHeight + y +
                               section.footerHeight);
        sections_.push_back(std::move(placed));
    }
    contentHeight_ = sectionTops_.back() + tableFooterHeight;
}

long TableGeometry::numberOfRows(long section) const {
    if (section < 0 || section >= numberOfSections()) {
        return 0;
    }
    return static_cast<long>(sections_[section].rowTops.size()) - 1;
}

bool TableGeometry::contains(const NSIndexPath& path) const {
    return path.section >= 0 && path.section < numberOfSections() && path.item >= 0 &&
           path.item < numberOfRows(path.section);
}

double TableGeometry::rowTop(const NSIndexPath& path) const {
    return rowsTop(path.section) + sections_[path.section].rowTops[path.item];
}

double TableGeometry::rowHeight(const NSIndexPath& path) const {
    const auto& tops = sections_[path.section].rowTops;
    return tops[path.item + 1] - tops[path.item];
}

long TableGeometry::sectionAt(double y) const {
    // The last section whose top is at or above y.
    const auto found = std::upper_bound(sectionTops_.begin(), sectionTops_.end() - 1, y);
    return static_cast<long>(found - sectionTops_.begin()) - 1;
}

std::vector<long> TableGeometry::sectionsIn(double minY, double maxY) const {
    std::vector<long> result;
    if (sections_.empty() || maxY <= minY) {
        return result;
    }
    for (long section = std::max(0L, sectionAt(minY)); section < numberOfSections(); ++section) {
        if (sectionTop(section) >= maxY) {
            break;
        }
        if (sectionBottom(section) > minY) {
            result.push_back(section);
        }
    }
    return result;
}

std::vector<NSIndexPath> TableGeometry::rowsIn(double minY, double maxY) const {
    std::vector<NSIndexPath> result;
    for (long section : sectionsIn(minY, maxY)) {
        const auto& tops = sections_[section].rowTops;
        const double base = rowsTop(section);
        // First row whose bottom is below minY.
        auto first = std::upper_bound(tops.begin() + 1, tops.end(), minY - base);
        for (auto it = first; it != tops.end(); ++it) {
            const double top = base + *(it - 1);
            if (top >= maxY) {
                break;
            }
            if (base + *it > top) {
                result.push_back({section, static_cast<long>(it - tops.begin()) - 1});
            }
        }
    }
    return result;
}

std::optional<NSIndexPath> TableGeometry::rowAt(double y) const {
    for (const auto& path : rowsIn(y, y + 1e-6)) {
        return path;
    }
    return std::nullopt;
}

void TableGeometry::setRowHeight(const NSIndexPath& path, double height) {
    if (!contains(path)) {
        return;
    }
    const double delta = std::max(0.0, height) - rowHeight(path);
    if (delta == 0) {
        return;
    }
    auto& tops = sections_[path.section].rowTops;
    for (auto it = tops.begin() + path.item + 1; it != tops.end(); ++it) {
        *it += delta;
    }
    for (auto it = sectionTops_.begin() + path.section + 1; it != sectionTops_.end(); ++it) {
        *it += delta;
    }
    contentHeight_ += delta;
}
