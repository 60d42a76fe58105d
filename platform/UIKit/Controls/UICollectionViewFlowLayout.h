#pragma once

#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewLayout.h"

#include <optional>
#include <vector>

enum class UICollectionViewScrollDirection { vertical, horizontal };

// Sizes and spacings per item and section that override the flow layout's own settings.
class UICollectionViewDelegateFlowLayout : public UICollectionViewDelegate {
  public:
    virtual std::optional<CGSize> sizeForItemAt(UICollectionView& collectionView,
                                                UICollectionViewLayout& layout,
                                                const NSIndexPath& indexPath) {
        return std::nullopt;
    }
    virtual std::optional<UIEdgeInsets> insetForSectionAt(UICollectionView& collectionView,
                                                          UICollectionViewLayout& layout, long section) {
        return std::nullopt;
    }
    virtual std::optional<CGFloat> minimumLineSpacingForSectionAt(UICollectionView& collectionView,
                                                                  UICollectionViewLayout& layout,
                                                                  long section) {
        return std::nullopt;
    }
    virtual std::optional<CGFloat> minimumInteritemSpacingForSectionAt(UICollectionView& collectionView,
                                                                       UICollectionViewLayout& layout,
                                                                       long section) {
        return std::nullopt;
    }
    virtual std::optional<CGSize> referenceSizeForHeaderInSection(UICollectionView& collectionView,
                                                                  UICollectionViewLayout& layout,
                                                                  long section) {
        return std::nullopt;
    }
    virtual std::optional<CGSize> referenceSizeForFooterInSection(UICollectionView& collectionView,
                                                                  UICollectionViewLayout& layout,
                                                                  long section) {
        return std::nullopt;
    }
};

// Items in lines: across the collection view (rows, scrolling vertically) or down it
// (columns, scrolling sideways). Each section starts with its header, then its inset,
// its lines and its footer. Items of a full line spread out so that the line fills the
// width; the last line of a section keeps the minimum spacing. Items smaller than their
// line are centred in it.
class UICollectionViewFlowLayout : public UICollectionViewLayout {
  public:
    UICollectionViewScrollDirection scrollDirection() const { return scrollDirection_; }
    void setScrollDirection(UICollectionViewScrollDirection direction);
    CGSize itemSize() const { return itemSize_; }
    void setItemSize(CGSize size);
    // Kept for callers; items are sized by itemSize or the delegate.
    CGSize estimatedItemSize() const { return estimatedItemSize_; }
    void setEstimatedItemSize(CGSize size) { estimatedItemSize_ = size; }
    CGFloat minimumLineSpacing() const { return minimumLineSpacing_; }
    void setMinimumLineSpacing(CGFloat spacing);
    CGFloat minimumInteritemSpacing() const { return minimumInteritemSpacing_; }
    void setMinimumInteritemSpacing(CGFloat spacing);
    UIEdgeInsets sectionInset() const { return sectionInset_; }
    void setSectionInset(const UIEdgeInsets& insets);
    // Header and footer sizes: the height counts when scrolling vertically, the width
    // when scrolling sideways.
    CGSize headerReferenceSize() const { return headerReferenceSize_; }
    void setHeaderReferenceSize(CGSize size);
    CGSize footerReferenceSize() const { return footerReferenceSize_; }
    void setFooterReferenceSize(CGSize size);

    void prepareLayout() override;
    CGSize collectionViewContentSize() const override { return contentSize_; }
    std::vector<UICollectionViewLayoutAttributes>
    layoutAttributesForElementsInRect(const CGRect& rect) const override;
    std::optional<UICollectionViewLayoutAttributes>
    layoutAttributesForItemAtIndexPath(const NSIndexPath& indexPath) const override;
    std::optional<UICollectionViewLayoutAttributes>
    layoutAttributesForSupplementaryViewOfKind(const std::string& kind,
                                               const NSIndexPath& indexPath) const override;

  private:
    struct Line {
        double start = 0; // along the scrolling axis
        double extent = 0;
        long firstItem = 0;
        long itemCount = 0;
    };
    struct Section {
        double start = 0; // along the scrolling axis, header included
        double end = 0;
        std::optional<CGRect> header;
        std::optional<CGRect> footer;
        std::vector<Line> lines;
        std::vector<CGRect> items;
    };
    void appendItems(const std::vector<CGRect>& frames, const std::vector<Line>& lines,
                     Section& section) const;
    // The section range whose extent along the scrolling axis meets [start, end).
    std::pair<std::size_t, std::size_t> sectionsBetween(double start, double end) const;

    UICollectionViewScrollDirection scrollDirection_ = UICollectionViewScrollDirection::vertical;
    CGSize itemSize_{50, 50};
    CGSize estimatedItemSize_;
    CGFloat minimumLineSpacing_ = 10;
    CGFloat minimumInteritemSpacing_ = 10;
    UIEdgeInsets sectionInset_;
    CGSize headerReferenceSize_;
    CGSize footerReferenceSize_;

    std::vector<Section> sections_;
    CGSize contentSize_;
};
