#pragma once

#include "platform/UIKit/Controls/NSIndexPath.h"

#include <optional>
#include <vector>

// Where the parts of a table lie along its height, top to bottom: the table header, then
// per section its top padding, header, rows and footer, then the table footer. Finds the
// rows and sections in a band of the content by binary search, so that a frame of a long
// table costs what the visible rows cost.
class TableGeometry {
  public:
    struct Section {
        double topPadding = 0;
        double headerHeight = 0;
        std::vector<double> rowHeights;
        double footerHeight = 0;
    };

    void rebuild(double tableHeaderHeight, const std::vector<Section>& sections, double tableFooterHeight);

    long numberOfSections() const { return static_cast<long>(sections_.size()); }
    long numberOfRows(long section) const;
    bool contains(const NSIndexPath& path) const;
    double contentHeight() const { return contentHeight_; }
    double tableHeaderHeight() const { return tableHeaderHeight_; }
    double tableFooterTop() const { return sectionTops_.empty() ? tableHeaderHeight_ : sectionTops_.back(); }

    double sectionTop(long section) const { return sectionTops_[section]; }
    double sectionBottom(long section) const { return sectionTops_[section + 1]; }
    double headerTop(long section) const { return sectionTops_[section] + sections_[section].topPadding; }
    double headerHeight(long section) const { return sections_[section].headerHeight; }
    double rowTop(const NSIndexPath& path) const;
    double rowHeight(const NSIndexPath& path) const;
    double footerTop(long section) const { return sectionBottom(section) - sections_[section].footerHeight; }
    double footerHeight(long section) const { return sections_[section].footerHeight; }

    // The rows, in order, that overlap [minY, maxY).
    std::vector<NSIndexPath> rowsIn(double minY, double maxY) const;
    // The sections that overlap [minY, maxY).
    std::vector<long> sectionsIn(double minY, double maxY) const;
    // The row under `y`, if any.
    std::optional<NSIndexPath> rowAt(double y) const;

    // Changes one row's height; everything below moves.
    void setRowHeight(const NSIndexPath& path, double height);

  private:
    struct Placed {
        double topPadding;
        double headerHeight;
        double footerHeight;
        std::vector<double> rowTops; // from the section's first row, one more than the rows
    };
    double rowsTop(long section) const { return headerTop(section) + sections_[section].headerHeight; }
    long sectionAt(double y) const;

    double tableHeaderHeight_ = 0;
    double tableFooterHeight_ = 0;
    double contentHeight_ = 0;
    std::vector<Placed> sections_;
    std::vector<double> sectionTops_; // one more than the sections
};
