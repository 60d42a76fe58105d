#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/Controls/NSIndexPath.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class UICollectionView;

// The kinds of supplementary views the flow layout places.
inline const std::string UICollectionElementKindSectionHeader = "UICollectionElementKindSectionHeader";
inline const std::string UICollectionElementKindSectionFooter = "UICollectionElementKindSectionFooter";

enum class UICollectionElementCategory { cell, supplementaryView };

// Where one element of a collection goes.
struct UICollectionViewLayoutAttributes {
    UICollectionElementCategory representedElementCategory = UICollectionElementCategory::cell;
    std::string representedElementKind; // supplementary views only
    NSIndexPath indexPath;
    CGRect frame;
    long zIndex = 0;
};

// Decides where a collection view's items and supplementary views go. The collection view
// calls prepareLayout after the layout was invalidated (new data, a new size), then asks
// for the content size and for the elements in the rectangles it shows.
class UICollectionViewLayout {
  public:
    virtual ~UICollectionViewLayout() = default;

    // The collection view using this layout (held weakly).
    std::shared_ptr<UICollectionView> collectionView() const { return collectionView_.lock(); }

    virtual void prepareLayout() {}
    virtual CGSize collectionViewContentSize() const = 0;
    // Every element whose frame meets `rect` (content coordinates).
    virtual std::vector<UICollectionViewLayoutAttributes>
    layoutAttributesForElementsInRect(const CGRect& rect) const = 0;
    virtual std::optional<UICollectionViewLayoutAttributes>
    layoutAttributesForItemAtIndexPath(const NSIndexPath& indexPath) const = 0;
    virtual std::optional<UICollectionViewLayoutAttributes>
    layoutAttributesForSupplementaryViewOfKind(const std::string& kind, const NSIndexPath& indexPath) const {
        return std::nullopt;
    }
    // Whether a change of the collection view's bounds needs a new layout (by default a
    // change of size; scrolling does not).
    virtual bool shouldInvalidateLayoutForBoundsChange(const CGRect& oldBounds,
                                                       const CGRect& newBounds) const {
        return oldBounds.size != newBounds.size;
    }
    // Asks for a new layout before the next layout pass of the collection view.
    void invalidateLayout();

  private:
    friend class UICollectionView;
    std::weak_ptr<UICollectionView> collectionView_;
};
