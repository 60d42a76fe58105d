#pragma once

#include "platform/UIKit/Controls/NSIndexPath.h"
#include "platform/UIKit/Controls/ReusePool.h"
#include "platform/UIKit/Controls/UICollectionViewCell.h"
#include "platform/UIKit/Controls/UICollectionViewLayout.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/Controls/VisibleCells.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

class UICollectionView;

// Where a scrolled-to item ends up (combine one vertical and one horizontal position).
using UICollectionViewScrollPosition = unsigned;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionNone = 0;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionTop = 1u << 0;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionCenteredVertically = 1u << 1;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionBottom = 1u << 2;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionLeft = 1u << 3;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionCenteredHorizontally = 1u << 4;
inline constexpr UICollectionViewScrollPosition UICollectionViewScrollPositionRight = 1u << 5;

// Where a collection's items come from; they are counted, then asked for as they come
// into sight.
class UICollectionViewDataSource {
  public:
    virtual ~UICollectionViewDataSource() = default;
    virtual long numberOfSections(UICollectionView& collectionView) { return 1; }
    virtual long numberOfItemsInSection(UICollectionView& collectionView, long section) = 0;
    virtual std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                                const NSIndexPath& indexPath) = 0;
    // A header or footer the layout places; the same view may be handed out again.
    virtual std::shared_ptr<UICollectionReusableView>
    viewForSupplementaryElementOfKind(UICollectionView& collectionView, const std::string& kind,
                                      const NSIndexPath& indexPath) {
        return nullptr;
    }
};

class UICollectionViewDelegate : public UIScrollViewDelegate {
  public:
    virtual void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) {}
    virtual void didDeselectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) {}
    virtual void willDisplay(UICollectionView& collectionView, UICollectionViewCell& cell,
                             const NSIndexPath& indexPath) {}
    virtual void didEndDisplaying(UICollectionView& collectionView, UICollectionViewCell& cell,
                                  const NSIndexPath& indexPath) {}
    virtual void willDisplaySupplementaryView(UICollectionView& collectionView,
                                              UICollectionReusableView& view, const std::string& kind,
                                              const NSIndexPath& indexPath) {}
};

// A scrolling collection of items placed by a layout object (the flow layout: lines of
// items, section headers and footers). Only the items in sight have cells: cells that
// leave the screen wait in a pool and are handed out again, so a long collection costs
// what a screenful costs.
class UICollectionView : public UIScrollView {
  public:
    UICollectionView(const CGRect& frame, std::shared_ptr<UICollectionViewLayout> layout);
    ~UICollectionView() override;

    const std::shared_ptr<UICollectionViewLayout>& collectionViewLayout() const { return layout_; }
    void setCollectionViewLayout(std::shared_ptr<UICollectionViewLayout> layout);

    std::shared_ptr<UICollectionViewDataSource> dataSource() const { return dataSource_.lock(); }
    // Held weakly.
    void setDataSource(const std::shared_ptr<UICollectionViewDataSource>& dataSource);
    std::shared_ptr<UICollectionViewDelegate> delegate() const { return collectionDelegate_.lock(); }
    // Held weakly; also the scroll view's delegate.
    void setDelegate(const std::shared_ptr<UICollectionViewDelegate>& delegate);

    // ---- Registration ----
    using CellFactory = std::function<std::shared_ptr<UICollectionViewCell>()>;
    using ReusableViewFactory = std::function<std::shared_ptr<UICollectionReusableView>()>;
    void registerClass(CellFactory factory, const std::string& identifier);
    template <class Cell> void registerClass(const std::string& identifier) {
        registerClass([]() -> std::shared_ptr<UICollectionViewCell> { return std::make_shared<Cell>(); },
                      identifier);
    }
    void registerClassForSupplementaryViewOfKind(ReusableViewFactory factory, const std::string& kind,
                                                 const std::string& identifier);
    template <class View>
    void registerClassForSupplementaryViewOfKind(const std::string& kind, const std::string& identifier) {
        registerClassForSupplementaryViewOfKind(
            []() -> std::shared_ptr<UICollectionReusableView> { return std::make_shared<View>(); }, kind,
            identifier);
    }
    // A cell waiting for reuse, else a new one; an unregistered identifier is a
    // programming error (throws).
    std::shared_ptr<UICollectionViewCell>
    dequeueReusableCellWithReuseIdentifier(const std::string& identifier, const NSIndexPath& indexPath);
    std::shared_ptr<UICollectionReusableView>
    dequeueReusableSupplementaryViewOfKind(const std::string& kind, const std::string& identifier,
                                           const NSIndexPath& indexPath);
    // Whether a class is registered (for callers that report their own error).
    bool hasRegisteredCell(const std::string& identifier) const { return cellPool_.isRegistered(identifier); }
    bool hasRegisteredSupplementaryView(const std::string& kind, const std::string& identifier) const;

    // ---- Data ----
    void reloadData();
    void reloadItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths);
    // Items the data source has just added, at their new index paths: the items already
    // shown keep their cells (moved to their new paths, not asked for again) and only the
    // new items that come into sight get cells. The data source's counts must be the old
    // ones plus the inserted items (a mismatch is a programming error: throws).
    void insertItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths);
    long numberOfSections();
    long numberOfItemsInSection(long section);

    // ---- Visible items ----
    std::vector<std::shared_ptr<UICollectionViewCell>> visibleCells();
    std::vector<NSIndexPath> indexPathsForVisibleItems();
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(const NSIndexPath& indexPath);
    std::optional<NSIndexPath> indexPathForCell(const UICollectionViewCell& cell) const;
    std::optional<NSIndexPath> indexPathForItemAtPoint(CGPoint point);
    std::shared_ptr<UICollectionReusableView> supplementaryViewForElementKind(const std::string& kind,
                                                                              const NSIndexPath& indexPath);
    std::optional<UICollectionViewLayoutAttributes>
    layoutAttributesForItemAtIndexPath(const NSIndexPath& indexPath);
    void scrollToItemAtIndexPath(const NSIndexPath& indexPath, UICollectionViewScrollPosition position,
                                 bool animated);

    // ---- Selection ----
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
    std::vector<NSIndexPath> indexPathsForSelectedItems() const;
    // Selects without telling the delegate.
    void selectItemAtIndexPath(const std::optional<NSIndexPath>& indexPath, bool animated,
                               UICollectionViewScrollPosition position);
    void deselectItemAtIndexPath(const NSIndexPath& indexPath, bool animated);

    // Cells alive for this collection: those in sight and those waiting for reuse.
    std::size_t liveCellCount() const { return visibleCells_.size() + cellPool_.waitingCount(); }

    // ---- UIView ----
    void layoutSubviews() override;
    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

    // For the layout: asks for a new layout at the next layout pass.
    void layoutInvalidated();

  protected:
    void contentOffsetDidChange() override { setNeedsLayout(); }
    void adjustedContentInsetDidChange() override { layoutInvalidated(); }

  private:
    using SupplementaryKey = std::pair<std::string, NSIndexPath>;

    void prepareIfNeeded();
    void tile();
    std::shared_ptr<UICollectionViewCell> requestCell(const NSIndexPath& indexPath);
    void recycleCell(const NSIndexPath& indexPath);
    void showSupplementary(const UICollectionViewLayoutAttributes& attributes);
    void recycleSupplementary(const SupplementaryKey& key);
    std::shared_ptr<UICollectionViewCell> cellAtTouch(const std::vector<std::shared_ptr<UITouch>>& touches);

    std::shared_ptr<UICollectionViewLayout> layout_;
    std::weak_ptr<UICollectionViewDataSource> dataSource_;
    std::weak_ptr<UICollectionViewDelegate> collectionDelegate_;
    bool allowsSelection_ = true;

    ReusePool<UICollectionViewCell> cellPool_;
    std::map<std::string, ReusePool<UICollectionReusableView>> supplementaryPools_;
    bool needsReload_ = true;
    bool needsLayoutPreparation_ = true;
    CGRect preparedBounds_;
    std::vector<long> itemCounts_;
    VisibleCells<UICollectionViewCell> visibleCells_;
    std::map<SupplementaryKey, std::shared_ptr<UICollectionReusableView>> visibleSupplementary_;
    std::set<NSIndexPath> selected_;
    std::weak_ptr<UICollectionViewCell> touchedCell_;
    CGPoint touchStart_;
};
