#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <algorithm>

namespace {

// Lengths along the scrolling axis (main) and across it (cross).
struct Axes {
    bool vertical;
    double main(CGSize size) const { return vertical ? size.height : size.width; }
    double cross(CGSize size) const { return vertical ? size.width : size.height; }
    CGRect rect(double main, double cross, double mainLength, double crossLength) const {
        return vertical ? CGRectMake(cross, main, crossLength, mainLength)
                        : CGRectMake(main, cross, mainLength, crossLength);
    }
    double mainStart(const CGRect& r) const { return vertical ? r.minY() : r.minX(); }
    double mainEnd(const CGRect& r) const { return vertical ? r.maxY() : r.maxX(); }
};

} // namespace

void UICollectionViewFlowLayout::setScrollDirection(UICollectionViewScrollDirection direction) {
    if (scrollDirection_ == direction) {
        return;
    }
    scrollDirection_ = direction;
    invalidateLayout();
}

void UICollectionViewFlowLayout::setItemSize(CGSize size) {
    if (itemSize_ == size) {
        return;
    }
    itemSize_ = size;
    invalidateLayout();
}

void UICollectionViewFlowLayout::setMinimumLineSpacing(CGFloat spacing) {
    if (minimumLineSpacing_ == spacing) {
        return;
    }
    minimumLineSpacing_ = spacing;
    invalidateLayout();
}

void UICollectionViewFlowLayout::setMinimumInteritemSpacing(CGFloat spacing) {
    if (minimumInteritemSpacing_ == spacing) {
        return;
    }
    minimumInteritemSpacing_ = spacing;
    invalidateLayout();
}

void UICollectionViewFlowLayout::setSectionInset(const UIEdgeInsets& insets) {
    if (sectionInset_ == insets) {
        return;
    }
    sectionInset_ = insets;
    invalidateLayout();
}

void UICollectionViewFlowLayout::setHeaderReferenceSize(CGSize size) {
    if (headerReferenceSize_ == size) {
        return;
    }
    headerReferenceSize_ = size;
    invalidateLayout();
}

void UICollectionViewFlowLayout::setFooterReferenceSize(CGSize size) {
    if (footerReferenceSize_ == size) {
        return;
    }
    footerReferenceSize_ = size;
    invalidateLayout();
}

void UICollectionViewFlowLayout::prepareLayout() {
    sections_.clear();
    contentSize_ = CGSizeZero;
    auto collection = collectionView();
    if (!collection) {
        return;
    }
    const Axes axes{scrollDirection_ == UICollectionViewScrollDirection::vertical};
    const UIEdgeInsets insets = collection->adjustedContentInset();
    const CGSize bounds = collection->bounds().size;
    const double crossExtent = std::max(0.0, axes.vertical ? bounds.width - insets.left - insets.right
                                                           : bounds.height - insets.top - insets.bottom);
    auto delegate = std::dynamic_pointer_cast<UICollectionViewDelegateFlowLayout>(collection->delegate());
    UICollectionView& view = *collection;

    double cursor = 0;
    const long sectionCount = view.numberOfSections();
    sections_.reserve(static_cast<std::size_t>(sectionCount));
    for (long index = 0; index < sectionCount; ++index) {
        Section section;
        section.start = cursor;
        const UIEdgeInsets inset = (delegate ? delegate->insetForSectionAt(view, *this, index) : std::nullopt)
                                       .value_or(sectionInset_);
        const double lineSpacing =
            (delegate ? delegate->minimumLineSpacingForSectionAt(view, *this, index) : std::nullopt)
                .value_or(minimumLineSpacing_);
        const double interitem =
            (delegate ? delegate->minimumInteritemSpacingForSectionAt(view, *this, index) : std::nullopt)
                .value_or(minimumInteritemSpacing_);
        const CGSize headerSize =
            (delegate ? delegate->referenceSizeForHeaderInSection(view, *this, index) : std::nullopt)
                .value_or(headerReferenceSize_);
        const CGSize footerSize =
            (delegate ? delegate->referenceSizeForFooterInSection(view, *this, index) : std::nullopt)
                .value_or(footerReferenceSize_);
        const double insetBefore = axes.vertical ? inset.top : inset.left;
        const double insetAfter = axes.vertical ? inset.bottom : inset.right;
        const double crossStart = axes.vertical ? inset.left : inset.top;
        const double crossEnd = axes.vertical ? inset.right : inset.bottom;
        const double lineLength = std::max(0.0, crossExtent - crossStart - crossEnd);

        if (axes.main(headerSize) > 0) {
            section.header = axes.rect(cursor, 0, axes.main(headerSize), crossExtent);
            cursor += axes.main(headerSize);
        }
        const long itemCount = view.numberOfItemsInSection(index);
        if (itemCount > 0) {
            cursor += insetBefore;
            std::vector<CGSize> sizes(static_cast<std::size_t>(itemCount));
            for (long item = 0; item < itemCount; ++item) {
                const CGSize size =
                    (delegate ? delegate->sizeForItemAt(view, *this, {index, item}) : std::nullopt)
                        .value_or(itemSize_);
                sizes[item] = {std::max(0.0, size.width), std::max(0.0, size.height)};
            }
            section.items.resize(sizes.size());
            long first = 0;
            while (first < itemCount) {
                // Fill a line: at least one item, then as many as fit with the minimum spacing.
                long end = first + 1;
                double used = axes.cross(sizes[first]);
                while (end < itemCount && used + interitem + axes.cross(sizes[end]) <= lineLength + 1e-9) {
                    used += interitem + axes.cross(sizes[end]);
                    ++end;
                }
                const long count = end - first;
                double extent = 0;
                double itemsCross = 0;
                for (long item = first; item < end; ++item) {
                    extent = std::max(extent, axes.main(sizes[item]));
                    itemsCross += axes.cross(sizes[item]);
                }
                const bool lastLine = end == itemCount;
                const double gap = (!lastLine && count > 1)
                                       ? (lineLength - itemsCross) / static_cast<double>(count - 1)
                                       : interitem;
                double crossAt = crossStart;
                for (long item = first; item < end; ++item) {
                    const double main = axes.main(sizes[item]);
                    section.items[item] =
                        axes.rect(cursor + (extent - main) / 2, crossAt, main, axes.cross(sizes[item]));
                    crossAt += axes.cross(sizes[item]) + gap;
                }
                section.lines.push_back({cursor, extent, first, count});
                cursor += extent;
                first = end;
                if (first < itemCount) {
                    cursor += lineSpacing;
                }
            }
            cursor += insetAfter;
        }
        if (axes.main(footerSize) > 0) {
            section.footer = axes.rect(cursor, 0, axes.main(footerSize), crossExtent);
            cursor += axes.main(footerSize);
        }
        section.end = cursor;
        sections_.push_back(std::move(section));
    }
    contentSize_ = axes.vertical ? CGSizeMake(crossExtent, cursor) : CGSizeMake(cursor, crossExtent);
}

std::pair<std::size_t, std::size_t> UICollectionViewFlowLayout::sectionsBetween(double start,
                                                                                double end) const {
    const auto first =
        std::upper_bound(sections_.begin(), sections_.end(), start,
                         [](double value, const Section& section) { return value < section.end; });
    auto last = first;
    while (last != sections_.end() && last->start < end) {
        ++last;
    }
    return {static_cast<std::size_t>(first - sections_.begin()),
            static_cast<std::size_t>(last - sections_.begin())};
}

std::vector<UICollectionViewLayoutAttributes>
UICollectionViewFlowLayout::layoutAttributesForElementsInRect(const CGRect& rect) const {
    std::vector<UICollectionViewLayoutAttributes> result;
    const Axes axes{scrollDirection_ == UICollectionViewScrollDirection::vertical};
    const double start = axes.mainStart(rect);
    const double end = axes.mainEnd(rect);
    const auto [firstSection, lastSection] = sectionsBetween(start, end);
    for (std::size_t index = firstSection; index < lastSection; ++index) {
        const Section& section = sections_[index];
        const long sectionIndex = static_cast<long>(index);
        if (section.header && section.header->intersects(rect)) {
            result.push_back({UICollectionElementCategory::supplementaryView,
                              UICollectionElementKindSectionHeader,
                              {sectionIndex, 0},
                              *section.header,
                              0});
        }
        auto line = std::upper_bound(section.lines.begin(), section.lines.end(), start,
                                     [](double value, const Line& l) { return value < l.start + l.extent; });
        for (; line != section.lines.end() && line->start < end; ++line) {
            for (long item = line->firstItem; item < line->firstItem + line->itemCount; ++item) {
                if (section.items[item].intersects(rect)) {
                    result.push_back({UICollectionElementCategory::cell,
                                      {},
                                      {sectionIndex, item},
                                      section.items[item],
                                      0});
                }
            }
        }
        if (section.footer && section.footer->intersects(rect)) {
            result.push_back({UICollectionElementCategory::supplementaryView,
                              UICollectionElementKindSectionFooter,
                              {sectionIndex, 0},
                              *section.footer,
                              0});
        }
    }
    return result;
}

std::optional<UICollectionViewLayoutAttributes>
UICollectionViewFlowLayout::layoutAttributesForItemAtIndexPath(const NSIndexPath& indexPath) const {
    if (indexPath.section < 0 || indexPath.section >= static_cast<long>(sections_.size())) {
        return std::nullopt;
    }
    const auto& items = sections_[indexPath.section].items;
    if (indexPath.item < 0 || indexPath.item >= static_cast<long>(items.size())) {
        return std::nullopt;
    }
    return UICollectionViewLayoutAttributes{
        UICollectionElementCategory::cell, {}, indexPath, items[indexPath.item], 0};
}

std::optional<UICollectionViewLayoutAttributes>
UICollectionViewFlowLayout::layoutAttributesForSupplementaryViewOfKind(const std::string& kind,
                                                                       const NSIndexPath& indexPath) const {
    if (indexPath.section < 0 || indexPath.section >= static_cast<long>(sections_.size())) {
        return std::nullopt;
    }
    const Section& section = sections_[indexPath.section];
    const auto& frame = kind == UICollectionElementKindSectionHeader   ? section.header
                        : kind == UICollectionElementKindSectionFooter ? section.footer
                                                                       : std::optional<CGRect>();
    if (!frame) {
        return std::nullopt;
    }
    return UICollectionViewLayoutAttributes{
        UICollectionElementCategory::supplementaryView, kind, {indexPath.section, 0}, *frame, 0};
}
