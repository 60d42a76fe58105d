#include "platform/UIKit/Controls/UICollectionView.h"

#include "platform/UIKit/UITouch.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

std::string describe(const NSIndexPath& path) {
    return "section " + std::to_string(path.section) + ", item " + std::to_string(path.item);
}

} // namespace

void UICollectionViewLayout::invalidateLayout() {
    if (auto view = collectionView()) {
        view->layoutInvalidated();
    }
}

UICollectionView::UICollectionView(const CGRect& frame, std::shared_ptr<UICollectionViewLayout> layout)
    : UIScrollView(frame), layout_(std::move(layout)) {
    if (!layout_) {
        throw std::invalid_argument("a collection view needs a layout");
    }
}

UICollectionView::~UICollectionView() = default;

void UICollectionView::setCollectionViewLayout(std::shared_ptr<UICollectionViewLayout> layout) {
    if (!layout) {
        throw std::invalid_argument("a collection view needs a layout");
    }
    if (layout_ == layout) {
        return;
    }
    layout_->collectionView_.reset();
    layout_ = std::move(layout);
    layoutInvalidated();
}

void UICollectionView::setDataSource(const std::shared_ptr<UICollectionViewDataSource>& dataSource) {
    dataSource_ = dataSource;
    reloadData();
}

void UICollectionView::setDelegate(const std::shared_ptr<UICollectionViewDelegate>& delegate) {
    collectionDelegate_ = delegate;
    UIScrollView::setDelegate(delegate);
    layoutInvalidated();
}

// ---- Registration -----------------------------------------------------------------------------

void UICollectionView::registerClass(CellFactory factory, const std::string& identifier) {
    cellPool_.registerFactory(identifier, std::move(factory));
}

void UICollectionView::registerClassForSupplementaryViewOfKind(ReusableViewFactory factory,
                                                               const std::string& kind,
                                                               const std::string& identifier) {
    supplementaryPools_[kind].registerFactory(identifier, std::move(factory));
}

bool UICollectionView::hasRegisteredSupplementaryView(const std::string& kind,
                                                      const std::string& identifier) const {
    const auto pool = supplementaryPools_.find(kind);
    return pool != supplementaryPools_.end() && pool->second.isRegistered(identifier);
}

std::shared_ptr<UICollectionViewCell>
UICollectionView::dequeueReusableCellWithReuseIdentifier(const std::string& identifier,
                                                         const NSIndexPath& indexPath) {
    auto cell = cellPool_.dequeue(identifier);
    if (!cell) {
        throw std::logic_error("unable to dequeue a cell with identifier \"" + identifier + "\" for " +
                               describe(indexPath) + ": no class is registered for it");
    }
    return cell;
}

std::shared_ptr<UICollectionReusableView> UICollectionView::dequeueReusableSupplementaryViewOfKind(
    const std::string& kind, const std::string& identifier, const NSIndexPath& indexPath) {
    std::shared_ptr<UICollectionReusableView> view;
    if (auto pool = supplementaryPools_.find(kind); pool != supplementaryPools_.end()) {
        view = pool->second.dequeue(identifier);
    }
    if (!view) {
        throw std::logic_error("unable to dequeue a view of kind " + kind + " with identifier \"" +
                               identifier + "\" for " + describe(indexPath) +
                               ": no class is registered for it");
    }
    return view;
}

// ---- Data and layout ------------------------------------------------------------------------------

void UICollectionView::reloadData() {
    needsReload_ = true;
    setNeedsLayout();
}

void UICollectionView::layoutInvalidated() {
    needsLayoutPreparation_ = true;
    setNeedsLayout();
}

void UICollectionView::reloadItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths) {
    for (const auto& path : indexPaths) {
        recycleCell(path);
    }
    layoutInvalidated();
}

void UICollectionView::insertItemsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths) {
    if (needsReload_) {
        // The reload to come reads every count afresh.
        return;
    }
    auto dataSource = dataSource_.lock();
    const long sections = dataSource ? std::max(0L, dataSource->numberOfSections(*this)) : 0;
    if (sections != static_cast<long>(itemCounts_.size())) {
        throw std::logic_error("insertItemsAtIndexPaths: the number of sections changed from " +
                               std::to_string(itemCounts_.size()) + " to " + std::to_string(sections));
    }
    std::vector<std::vector<long>> inserted(itemCounts_.size());
    for (const auto& path : indexPaths) {
        if (path.section < 0 || path.section >= sections) {
            throw std::out_of_range("insertItemsAtIndexPaths: no " + describe(path));
        }
        inserted[path.section].push_back(path.item);
    }
    std::vector<long> counts(itemCounts_.size());
    for (long section = 0; section < sections; ++section) {
        auto& items = inserted[section];
        std::sort(items.begin(), items.end());
        if (std::adjacent_find(items.begin(), items.end()) != items.end()) {
            throw std::logic_error("insertItemsAtIndexPaths: an item inserted twice in section " +
                                   std::to_string(section));
        }
        counts[section] = std::max(0L, dataSource->numberOfItemsInSection(*this, section));
        const long expected = itemCounts_[section] + static_cast<long>(items.size());
        if (counts[section] != expected) {
            throw std::logic_error("insertItemsAtIndexPaths: section " + std::to_string(section) + " has " +
                                   std::to_string(counts[section]) + " items, " + std::to_string(expected) +
                                   " expected after the insertion");
        }
        if (!items.empty() && (items.front() < 0 || items.back() >= counts[section])) {
            throw std::out_of_range("insertItemsAtIndexPaths: item " +
                                    std::to_string(items.front() < 0 ? items.front() : items.back()) +
                                    " lies outside section " + std::to_string(section));
        }
    }
    // Where an item that was at `path` is now: after every inserted item that comes
    // before it in the new order.
    const auto moved = [&](const NSIndexPath& path) {
        long item = path.item;
        for (const long insertedItem : inserted[path.section]) {
            if (insertedItem > item) {
                break;
            }
            ++item;
        }
        return NSIndexPath{path.section, item};
    };
    VisibleCells<UICollectionViewCell> shown;
    for (auto& [path, cell] : visibleCells_) {
        shown.emplace(moved(path), std::move(cell));
    }
    visibleCells_ = std::move(shown);
    std::set<NSIndexPath> selected;
    for (const auto& path : selected_) {
        selected.insert(moved(path));
    }
    selected_ = std::move(selected);
    itemCounts_ = std::move(counts);
    layoutInvalidated();
}

long UICollectionView::numberOfSections() {
    if (needsReload_) {
        prepareIfNeeded();
    }
    return static_cast<long>(itemCounts_.size());
}

long UICollectionView::numberOfItemsInSection(long section) {
    if (needsReload_) {
        prepareIfNeeded();
    }
    return section >= 0 && section < static_cast<long>(itemCounts_.size()) ? itemCounts_[section] : 0;
}

void UICollectionView::prepareIfNeeded() {
    auto self = sharedView();
    if (needsReload_) {
        needsReload_ = false;
        needsLayoutPreparation_ = true;
        for (const auto& path : indexPathsOf(visibleCells_)) {
            recycleCell(path);
        }
        std::vector<SupplementaryKey> shownViews;
        for (const auto& [key, view] : visibleSupplementary_) {
            shownViews.push_back(key);
        }
        for (const auto& key : shownViews) {
            recycleSupplementary(key);
        }
        selected_.clear();
        itemCounts_.clear();
        if (auto dataSource = dataSource_.lock()) {
            const long sections = std::max(0L, dataSource->numberOfSections(*this));
            for (long section = 0; section < sections; ++section) {
                itemCounts_.push_back(std::max(0L, dataSource->numberOfItemsInSection(*this, section)));
            }
        }
    }
    if (!needsLayoutPreparation_ &&
        layout_->shouldInvalidateLayoutForBoundsChange(preparedBounds_, bounds())) {
        needsLayoutPreparation_ = true;
    }
    // A new content size can change the adjusted insets, and so the layout once more.
    for (int pass = 0; pass < 2 && needsLayoutPreparation_; ++pass) {
        needsLayoutPreparation_ = false;
        layout_->collectionView_ = std::static_pointer_cast<UICollectionView>(self);
        preparedBounds_ = bounds();
        layout_->prepareLayout();
        setContentSize(layout_->collectionViewContentSize());
    }
    needsLayoutPreparation_ = false;
}

// ---- Tiling -------------------------------------------------------------------------------------------

void UICollectionView::layoutSubviews() {
    UIScrollView::layoutSubviews();
    tile();
}

void UICollectionView::tile() {
    auto self = sharedView();
    prepareIfNeeded();
    const auto elements = layout_->layoutAttributesForElementsInRect(bounds());
    std::set<NSIndexPath> wantedCells;
    std::set<SupplementaryKey> wantedViews;
    for (const auto& element : elements) {
        if (element.representedElementCategory == UICollectionElementCategory::cell) {
            wantedCells.insert(element.indexPath);
        } else {
            wantedViews.insert({element.representedElementKind, element.indexPath});
        }
    }
    std::vector<NSIndexPath> leaving;
    for (const auto& [path, cell] : visibleCells_) {
        if (wantedCells.count(path) == 0) {
            leaving.push_back(path);
        }
    }
    for (const auto& path : leaving) {
        recycleCell(path);
    }
    std::vector<SupplementaryKey> leavingViews;
    for (const auto& [key, view] : visibleSupplementary_) {
        if (wantedViews.count(key) == 0) {
            leavingViews.push_back(key);
        }
    }
    for (const auto& key : leavingViews) {
        recycleSupplementary(key);
    }
    for (const auto& element : elements) {
        if (element.representedElementCategory == UICollectionElementCategory::cell) {
            auto found = visibleCells_.find(element.indexPath);
            auto cell = found != visibleCells_.end() ? found->second : requestCell(element.indexPath);
            cell->setFrame(element.frame);
        } else {
            showSupplementary(element);
        }
    }
}

std::shared_ptr<UICollectionViewCell> UICollectionView::requestCell(const NSIndexPath& path) {
    auto dataSource = dataSource_.lock();
    std::shared_ptr<UICollectionViewCell> cell =
        dataSource ? dataSource->cellForItemAt(*this, path) : nullptr;
    if (!cell) {
        throw std::logic_error("the collection's data source gave no cell for " + describe(path));
    }
    cellPool_.remove(cell.get());
    visibleCells_[path] = cell;
    cell->setSelected(selected_.count(path) != 0);
    if (auto delegate = collectionDelegate_.lock()) {
        delegate->willDisplay(*this, *cell, path);
    }
    if (cell->superview().get() != this) {
        insertSubview(cell, 0);
    }
    return cell;
}

void UICollectionView::recycleCell(const NSIndexPath& path) {
    auto found = visibleCells_.find(path);
    if (found == visibleCells_.end()) {
        return;
    }
    auto cell = found->second;
    visibleCells_.erase(found);
    cell->removeFromSuperview();
    if (auto delegate = collectionDelegate_.lock()) {
        delegate->didEndDisplaying(*this, *cell, path);
    }
    cellPool_.enqueue(cell);
}

void UICollectionView::showSupplementary(const UICollectionViewLayoutAttributes& attributes) {
    const SupplementaryKey key{attributes.representedElementKind, attributes.indexPath};
    auto found = visibleSupplementary_.find(key);
    if (found == visibleSupplementary_.end()) {
        auto dataSource = dataSource_.lock();
        auto view = dataSource ? dataSource->viewForSupplementaryElementOfKind(*this, key.first, key.second)
                               : nullptr;
        if (!view) {
            return;
        }
        // The data source may hand out a view it keeps (again): it leaves the pool, and a
        // place it held for another element.
        supplementaryPools_[key.first].remove(view.get());
        for (auto other = visibleSupplementary_.begin(); other != visibleSupplementary_.end(); ++other) {
            if (other->second == view) {
                visibleSupplementary_.erase(other);
                break;
            }
        }
        found = visibleSupplementary_.emplace(key, view).first;
        if (auto delegate = collectionDelegate_.lock()) {
            delegate->willDisplaySupplementaryView(*this, *view, key.first, key.second);
        }
        if (view->superview().get() != this) {
            addSubview(view);
        }
    }
    found->second->setFrame(attributes.frame);
}

void UICollectionView::recycleSupplementary(const SupplementaryKey& key) {
    auto found = visibleSupplementary_.find(key);
    if (found == visibleSupplementary_.end()) {
        return;
    }
    auto view = found->second;
    visibleSupplementary_.erase(found);
    view->removeFromSuperview();
    supplementaryPools_[key.first].enqueue(view);
}

// ---- Queries ----------------------------------------------------------------------------------------------

std::vector<std::shared_ptr<UICollectionViewCell>> UICollectionView::visibleCells() {
    layoutIfNeeded();
    return cellsOf(visibleCells_);
}

std::vector<NSIndexPath> UICollectionView::indexPathsForVisibleItems() {
    layoutIfNeeded();
    return indexPathsOf(visibleCells_);
}

std::shared_ptr<UICollectionViewCell> UICollectionView::cellForItemAtIndexPath(const NSIndexPath& path) {
    layoutIfNeeded();
    return cellAt(visibleCells_, path);
}

std::optional<NSIndexPath> UICollectionView::indexPathForCell(const UICollectionViewCell& cell) const {
    return indexPathOf(visibleCells_, cell);
}

std::optional<NSIndexPath> UICollectionView::indexPathForItemAtPoint(CGPoint point) {
    prepareIfNeeded();
    for (const auto& element : layout_->layoutAttributesForElementsInRect({point, {1e-6, 1e-6}})) {
        if (element.representedElementCategory == UICollectionElementCategory::cell &&
            element.frame.contains(point)) {
            return element.indexPath;
        }
    }
    return std::nullopt;
}

std::shared_ptr<UICollectionReusableView>
UICollectionView::supplementaryViewForElementKind(const std::string& kind, const NSIndexPath& path) {
    layoutIfNeeded();
    auto found = visibleSupplementary_.find({kind, {path.section, 0}});
    return found != visibleSupplementary_.end() ? found->second : nullptr;
}

std::optional<UICollectionViewLayoutAttributes>
UICollectionView::layoutAttributesForItemAtIndexPath(const NSIndexPath& path) {
    prepareIfNeeded();
    return layout_->layoutAttributesForItemAtIndexPath(path);
}

void UICollectionView::scrollToItemAtIndexPath(const NSIndexPath& path,
                                               UICollectionViewScrollPosition position, bool animated) {
    prepareIfNeeded();
    const auto attributes = layout_->layoutAttributesForItemAtIndexPath(path);
    if (!attributes) {
        throw std::out_of_range("scrollToItemAtIndexPath: no item at " + describe(path));
    }
    const CGRect frame = attributes->frame;
    const UIEdgeInsets insets = adjustedContentInset();
    const CGSize size = bounds().size;
    const double visibleWidth = size.width - insets.left - insets.right;
    const double visibleHeight = size.height - insets.top - insets.bottom;
    CGPoint offset = contentOffset();
    auto nearest = [](double current, double start, double length, double itemStart, double itemLength) {
        if (itemStart < current + start) {
            return itemStart - start;
        }
        if (itemStart + itemLength > current + start + length) {
            return itemStart + itemLength - start - length;
        }
        return current;
    };
    if (position & UICollectionViewScrollPositionTop) {
        offset.y = frame.minY() - insets.top;
    } else if (position & UICollectionViewScrollPositionCenteredVertically) {
        offset.y = frame.midY() - insets.top - visibleHeight / 2;
    } else if (position & UICollectionViewScrollPositionBottom) {
        offset.y = frame.maxY() - insets.top - visibleHeight;
    } else {
        offset.y = nearest(offset.y, insets.top, visibleHeight, frame.minY(), frame.size.height);
    }
    if (position & UICollectionViewScrollPositionLeft) {
        offset.x = frame.minX() - insets.left;
    } else if (position & UICollectionViewScrollPositionCenteredHorizontally) {
        offset.x = frame.midX() - insets.left - visibleWidth / 2;
    } else if (position & UICollectionViewScrollPositionRight) {
        offset.x = frame.maxX() - insets.left - visibleWidth;
    } else {
        offset.x = nearest(offset.x, insets.left, visibleWidth, frame.minX(), frame.size.width);
    }
    setContentOffset({horizontalOffsetRange().clamp(offset.x), verticalOffsetRange().clamp(offset.y)},
                     animated);
}

// ---- Selection
// -----------------------------------------------------------------------------------------------

std::vector<NSIndexPath> UICollectionView::indexPathsForSelectedItems() const {
    return {selected_.begin(), selected_.end()};
}

void UICollectionView::selectItemAtIndexPath(const std::optional<NSIndexPath>& path, bool animated,
                                             UICollectionViewScrollPosition position) {
    for (const auto& previous : std::set<NSIndexPath>(selected_)) {
        deselectItemAtIndexPath(previous, animated);
    }
    if (!path) {
        return;
    }
    selected_.insert(*path);
    if (auto found = visibleCells_.find(*path); found != visibleCells_.end()) {
        found->second->setSelected(true);
    }
    if (position != UICollectionViewScrollPositionNone) {
        scrollToItemAtIndexPath(*path, position, animated);
    }
}

void UICollectionView::deselectItemAtIndexPath(const NSIndexPath& path, bool) {
    if (selected_.erase(path) == 0) {
        return;
    }
    if (auto found = visibleCells_.find(path); found != visibleCells_.end()) {
        found->second->setSelected(false);
    }
}

std::shared_ptr<UICollectionViewCell>
UICollectionView::cellAtTouch(const std::vector<std::shared_ptr<UITouch>>& touches) {
    if (touches.empty()) {
        return nullptr;
    }
    // Rows reloaded since the last frame are in place before a touch looks for them.
    layoutIfNeeded();
    return cellContaining(visibleCells_, touches.front()->locationInView(this));
}

void UICollectionView::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    if (!allowsSelection_ || touchCaughtMotion()) {
        return;
    }
    if (auto cell = cellAtTouch(touches)) {
        cell->setHighlighted(true);
        touchedCell_ = cell;
        touchStart_ = touches.front()->locationInView(this);
    }
}

void UICollectionView::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    auto cell = touchedCell_.lock();
    if (!cell || touches.empty()) {
        return;
    }
    // A finger that moves away is not tapping the item.
    const CGPoint point = touches.front()->locationInView(this);
    if (std::hypot(point.x - touchStart_.x, point.y - touchStart_.y) > 10) {
        cell->setHighlighted(false);
        touchedCell_.reset();
    }
}

void UICollectionView::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    auto cell = touchedCell_.lock();
    touchedCell_.reset();
    if (!cell) {
        return;
    }
    cell->setHighlighted(false);
    auto path = indexPathForCell(*cell);
    if (!path || cellAtTouch(touches) != cell) {
        return;
    }
    auto self = sharedView();
    auto delegate = collectionDelegate_.lock();
    for (const auto& previous : std::set<NSIndexPath>(selected_)) {
        if (previous != *path) {
            deselectItemAtIndexPath(previous, false);
            if (delegate) {
                delegate->didDeselectItemAt(*this, previous);
            }
        }
    }
    selected_.insert(*path);
    cell->setSelected(true);
    if (delegate) {
        delegate->didSelectItemAt(*this, *path);
    }
}

void UICollectionView::touchesCancelled(const std::vector<std::shared_ptr<UITouch>>&, UIEvent*) {
    if (auto cell = touchedCell_.lock()) {
        cell->setHighlighted(false);
    }
    touchedCell_.reset();
}
