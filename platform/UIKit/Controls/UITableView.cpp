#include "platform/UIKit/Controls/UITableView.h"

#include "platform/UIKit/Controls/UIButton.h"
#include "platform/UIKit/UITouch.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

namespace {

constexpr CGFloat kTitleHeaderHeight = 28;
constexpr CGFloat kGroupedHeaderHeight = 18;
constexpr CGFloat kGroupedFooterHeight = 18;
const std::string kTitleViewIdentifier = "UITableViewHeaderFooterView.title";
constexpr CGFloat kDeleteButtonMinWidth = 74;
constexpr CGFloat kSwipeSlop = 10;

std::string describe(const NSIndexPath& path) {
    return "section " + std::to_string(path.section) + ", row " + std::to_string(path.item);
}

} // namespace

UITableView::UITableView(const CGRect& frame, UITableViewStyle style)
    : UIScrollView(frame), style_(style), separatorColor_(UIColor::colorWithWhite(0.78, 1)) {
    setAlwaysBounceVertical(true);
    setShowsHorizontalScrollIndicator(false);
    setBackgroundColor(style == UITableViewStyle::plain ? UIColor::whiteColor()
                                                        : UIColor::colorWithRed(0.95, 0.95, 0.97, 1));
    headerFooterPool_.registerFactory(kTitleViewIdentifier,
                                      [] { return std::make_shared<UITableViewHeaderFooterView>(); });
}

UITableView::~UITableView() = default;

void UITableView::setDataSource(const std::shared_ptr<UITableViewDataSource>& dataSource) {
    dataSource_ = dataSource;
    reloadData();
}

void UITableView::setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate) {
    tableDelegate_ = delegate;
    UIScrollView::setDelegate(delegate);
    reloadData();
}

// ---- Settings -------------------------------------------------------------------------------

void UITableView::setRowHeight(CGFloat height) {
    if (rowHeight_ == height) {
        return;
    }
    rowHeight_ = height;
    reloadData();
}

void UITableView::setEstimatedRowHeight(CGFloat height) {
    if (estimatedRowHeight_ == height) {
        return;
    }
    estimatedRowHeight_ = height;
    reloadData();
}

void UITableView::setSectionHeaderHeight(CGFloat height) {
    if (sectionHeaderHeight_ == height) {
        return;
    }
    sectionHeaderHeight_ = height;
    reloadData();
}

void UITableView::setSectionFooterHeight(CGFloat height) {
    if (sectionFooterHeight_ == height) {
        return;
    }
    sectionFooterHeight_ = height;
    reloadData();
}

void UITableView::setSectionHeaderTopPadding(CGFloat padding) {
    if (sectionHeaderTopPadding_ == padding) {
        return;
    }
    sectionHeaderTopPadding_ = padding;
    reloadData();
}

void UITableView::setSeparatorStyle(UITableViewCellSeparatorStyle style) {
    if (separatorStyle_ == style) {
        return;
    }
    separatorStyle_ = style;
    for (const auto& [path, cell] : visibleCells_) {
        configureSeparator(*cell, path);
    }
}

void UITableView::setSeparatorColor(const UIColor& color) {
    separatorColor_ = color;
    for (const auto& [path, cell] : visibleCells_) {
        configureSeparator(*cell, path);
    }
}

void UITableView::setSeparatorInset(const UIEdgeInsets& insets) {
    separatorInset_ = insets;
    for (const auto& [path, cell] : visibleCells_) {
        configureSeparator(*cell, path);
    }
}

void UITableView::setTableHeaderView(std::shared_ptr<UIView> view) {
    if (tableHeaderView_ == view) {
        return;
    }
    if (tableHeaderView_) {
        tableHeaderView_->removeFromSuperview();
    }
    tableHeaderView_ = std::move(view);
    if (tableHeaderView_) {
        addSubview(tableHeaderView_);
    }
    reloadData();
}

void UITableView::setTableFooterView(std::shared_ptr<UIView> view) {
    if (tableFooterView_ == view) {
        return;
    }
    if (tableFooterView_) {
        tableFooterView_->removeFromSuperview();
    }
    tableFooterView_ = std::move(view);
    if (tableFooterView_) {
        addSubview(tableFooterView_);
    }
    reloadData();
}

void UITableView::setAllowsSelection(bool allows) {
    allowsSelection_ = allows;
    if (!allows && selected_) {
        deselectRowAtIndexPath(*selected_, false);
    }
}

// ---- Registration and dequeueing --------------------------------------------------------------

void UITableView::registerClass(CellFactory factory, const std::string& identifier) {
    cellPool_.registerFactory(identifier, std::move(factory));
}

void UITableView::registerHeaderFooterClass(HeaderFooterFactory factory, const std::string& identifier) {
    headerFooterPool_.registerFactory(identifier, std::move(factory));
}

std::shared_ptr<UITableViewCell>
UITableView::dequeueReusableCellWithIdentifier(const std::string& identifier) {
    return cellPool_.dequeue(identifier);
}

std::shared_ptr<UITableViewCell>
UITableView::dequeueReusableCellWithIdentifier(const std::string& identifier, const NSIndexPath& indexPath) {
    auto cell = cellPool_.dequeue(identifier);
    if (!cell) {
        throw std::logic_error("unable to dequeue a cell with identifier \"" + identifier + "\" for " +
                               describe(indexPath) + ": no class is registered for it");
    }
    return cell;
}

std::shared_ptr<UITableViewHeaderFooterView>
UITableView::dequeueReusableHeaderFooterViewWithIdentifier(const std::string& identifier) {
    return headerFooterPool_.dequeue(identifier);
}

// ---- Data ------------------------------------------------------------------------------------

void UITableView::reloadData() {
    needsReload_ = true;
    setNeedsLayout();
}

void UITableView::reloadRowsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths,
                                         UITableViewRowAnimation) {
    if (needsReload_) {
        return; // everything is asked again anyway
    }
    auto self = sharedView();
    auto delegate = tableDelegate_.lock();
    for (const auto& path : indexPaths) {
        if (!geometry_.contains(path)) {
            continue;
        }
        const double height = resolvedRowHeight(path, delegate.get());
        geometry_.setRowHeight(path, height >= 0 ? height : measuredRowHeight(path));
        if (visibleCells_.count(path) != 0) {
            recycleCell(path);
        }
    }
    setNeedsLayout();
}

long UITableView::numberOfSections() {
    reloadIfNeeded();
    return geometry_.numberOfSections();
}

long UITableView::numberOfRowsInSection(long section) {
    reloadIfNeeded();
    return geometry_.numberOfRows(section);
}

double UITableView::resolvedRowHeight(const NSIndexPath& path, UITableViewDelegate* delegate) {
    std::optional<CGFloat> height;
    if (delegate != nullptr) {
        height = delegate->heightForRowAt(*this, path);
    }
    const CGFloat value = height.value_or(rowHeight_);
    return value == UITableViewAutomaticDimension ? -1 : std::max<CGFloat>(0, value);
}

double UITableView::measuredRowHeight(const NSIndexPath& path) {
    auto dataSource = dataSource_.lock();
    if (!dataSource) {
        return 0;
    }
    auto cell = dataSource->cellForRowAt(*this, path);
    if (!cell) {
        throw std::logic_error("the table's data source gave no cell for " + describe(path));
    }
    const CGFloat width = bounds().size.width;
    cell->setFrame({{0, 0}, {width, cell->frame().size.height}});
    const double height = cell->fittingHeightForWidth(width);
    if (cell->superview().get() != this) {
        cellPool_.enqueue(cell);
    }
    return height;
}

double UITableView::headerHeightFor(long section, UITableViewDelegate* delegate,
                                    UITableViewDataSource* dataSource) {
    if (delegate != nullptr) {
        if (auto height = delegate->heightForHeaderInSection(*this, section); height && *height >= 0) {
            return *height;
        }
    }
    if (sectionHeaderHeight_ >= 0) {
        return sectionHeaderHeight_;
    }
    if (dataSource != nullptr && dataSource->titleForHeaderInSection(*this, section)) {
        return kTitleHeaderHeight;
    }
    return style_ == UITableViewStyle::plain ? 0 : kGroupedHeaderHeight;
}

double UITableView::footerHeightFor(long section, UITableViewDelegate* delegate,
                                    UITableViewDataSource* dataSource) {
    if (delegate != nullptr) {
        if (auto height = delegate->heightForFooterInSection(*this, section); height && *height >= 0) {
            return *height;
        }
    }
    if (sectionFooterHeight_ >= 0) {
        return sectionFooterHeight_;
    }
    if (dataSource != nullptr && dataSource->titleForFooterInSection(*this, section)) {
        return kTitleHeaderHeight;
    }
    return style_ == UITableViewStyle::plain ? 0 : kGroupedFooterHeight;
}

void UITableView::reloadIfNeeded() {
    if (!needsReload_) {
        return;
    }
    needsReload_ = false;
    auto self = sharedView();
    for (const auto& path : indexPathsOf(visibleCells_)) {
        recycleCell(path);
    }
    for (auto& [section, entry] : headers_) {
        dropSupplementary(entry);
    }
    headers_.clear();
    for (auto& [section, entry] : footers_) {
        dropSupplementary(entry);
    }
    footers_.clear();
    selected_.reset();
    closeSwipedRow();
    swipeCandidate_.reset();
    swiping_ = false;

    auto dataSource = dataSource_.lock();
    auto delegate = tableDelegate_.lock();
    const long sectionCount = dataSource ? std::max(0L, dataSource->numberOfSections(*this)) : 0;
    std::vector<TableGeometry::Section> sections(static_cast<std::size_t>(sectionCount));
    estimated_.assign(sections.size(), {});
    for (long section = 0; section < sectionCount; ++section) {
        auto& entry = sections[section];
        entry.headerHeight = headerHeightFor(section, delegate.get(), dataSource.get());
        entry.footerHeight = footerHeightFor(section, delegate.get(), dataSource.get());
        entry.topPadding = entry.headerHeight > 0 ? sectionHeaderTopPadding_ : 0;
        const long rows = std::max(0L, dataSource->numberOfRowsInSection(*this, section));
        entry.rowHeights.resize(static_cast<std::size_t>(rows));
        estimated_[section].assign(static_cast<std::size_t>(rows), false);
        for (long row = 0; row < rows; ++row) {
            const NSIndexPath path{section, row};
            double height = resolvedRowHeight(path, delegate.get());
            if (height < 0) {
                if (estimatedRowHeight_ > 0) {
                    height = estimatedRowHeight_;
                    estimated_[section][row] = true;
                } else {
                    height = measuredRowHeight(path);
                }
            }
            entry.rowHeights[row] = height;
        }
    }
    const double headerHeight = tableHeaderView_ ? tableHeaderView_->frame().size.height : 0;
    const double footerHeight = tableFooterView_ ? tableFooterView_->frame().size.height : 0;
    geometry_.rebuild(headerHeight, sections, footerHeight);
    setContentSize({bounds().size.width, geometry_.contentHeight()});
}

// ---- Tiling ------------------------------------------------------------------------------------

void UITableView::layoutSubviews() {
    UIScrollView::layoutSubviews();
    const CGFloat width = bounds().size.width;
    if (width != laidOutWidth_) {
        laidOutWidth_ = width;
        needsReload_ = true;
    }
    tile();
}

void UITableView::tile() {
    auto self = sharedView();
    reloadIfNeeded();
    const CGRect visible = bounds();
    std::vector<NSIndexPath> wanted = geometry_.rowsIn(visible.minY(), visible.maxY());

    // Rows with automatic heights are measured as they come into sight; a row above the
    // top that changes height moves the offset with it, so that nothing in sight jumps.
    for (int pass = 0; pass < 4; ++pass) {
        bool changed = false;
        for (const auto& path : wanted) {
            if (!estimated_[path.section][path.item]) {
                continue;
            }
            estimated_[path.section][path.item] = false;
            const double before = geometry_.rowHeight(path);
            const double height = measuredRowHeight(path);
            if (height == before) {
                continue;
            }
            const bool above = geometry_.rowTop(path) < contentOffset().y;
            geometry_.setRowHeight(path, height);
            changed = true;
            if (above && !isDragging()) {
                setContentOffset({contentOffset().x, contentOffset().y + height - before});
            }
        }
        if (!changed) {
            break;
        }
        setContentSize({bounds().size.width, geometry_.contentHeight()});
        const CGRect now = bounds();
        wanted = geometry_.rowsIn(now.minY(), now.maxY());
    }
    setContentSize({bounds().size.width, geometry_.contentHeight()});

    const std::set<NSIndexPath> wantedSet(wanted.begin(), wanted.end());
    std::vector<NSIndexPath> leaving;
    for (const auto& [path, cell] : visibleCells_) {
        if (wantedSet.count(path) == 0) {
            leaving.push_back(path);
        }
    }
    for (const auto& path : leaving) {
        recycleCell(path);
    }
    const CGFloat width = bounds().size.width;
    for (const auto& path : wanted) {
        auto found = visibleCells_.find(path);
        std::shared_ptr<UITableViewCell> cell =
            found != visibleCells_.end() ? found->second : requestCell(path);
        cell->setFrame({{0, geometry_.rowTop(path)}, {width, geometry_.rowHeight(path)}});
        configureSeparator(*cell, path);
    }

    const std::vector<long> sections = geometry_.sectionsIn(bounds().minY(), bounds().maxY());
    tileSupplementary(true, sections);
    tileSupplementary(false, sections);
    placeTableHeaderAndFooter();
}

std::shared_ptr<UITableViewCell> UITableView::requestCell(const NSIndexPath& path) {
    auto dataSource = dataSource_.lock();
    std::shared_ptr<UITableViewCell> cell = dataSource ? dataSource->cellForRowAt(*this, path) : nullptr;
    if (!cell) {
        throw std::logic_error("the table's data source gave no cell for " + describe(path));
    }
    cellPool_.remove(cell.get());
    visibleCells_[path] = cell;
    cell->setTransform(CGAffineTransformIdentity);
    cell->setSelected(selected_ == path, false);
    if (auto delegate = tableDelegate_.lock()) {
        delegate->willDisplay(*this, *cell, path);
    }
    if (cell->superview().get() != this) {
        insertSubview(cell, 0);
    }
    return cell;
}

void UITableView::recycleCell(const NSIndexPath& path) {
    auto found = visibleCells_.find(path);
    if (found == visibleCells_.end()) {
        return;
    }
    auto cell = found->second;
    visibleCells_.erase(found);
    if (swipedRow_ == path || swipeCandidate_ == path) {
        closeSwipedRow();
        swipeCandidate_.reset();
        swiping_ = false;
    }
    cell->removeFromSuperview();
    cell->setTransform(CGAffineTransformIdentity);
    if (auto delegate = tableDelegate_.lock()) {
        delegate->didEndDisplaying(*this, *cell, path);
    }
    cellPool_.enqueue(cell);
}

void UITableView::configureSeparator(UITableViewCell& cell, const NSIndexPath& path) {
    const bool lastInSection = path.item + 1 >= geometry_.numberOfRows(path.section);
    const bool visible = separatorStyle_ == UITableViewCellSeparatorStyle::singleLine && !lastInSection;
    cell.setSeparator(visible, separatorInset_, separatorColor_);
}

void UITableView::tileSupplementary(bool header, const std::vector<long>& sections) {
    auto& shown = header ? headers_ : footers_;
    const CGRect visible = bounds();
    const CGFloat width = visible.size.width;
    std::set<long> wanted;
    for (long section : sections) {
        const double height = header ? geometry_.headerHeight(section) : geometry_.footerHeight(section);
        if (height <= 0) {
            continue;
        }
        const bool pinned = header && style_ == UITableViewStyle::plain;
        const double top = header ? geometry_.headerTop(section) : geometry_.footerTop(section);
        if (pinned || (top < visible.maxY() && top + height > visible.minY())) {
            wanted.insert(section);
        }
    }
    for (auto it = shown.begin(); it != shown.end();) {
        if (wanted.count(it->first) == 0) {
            dropSupplementary(it->second);
            it = shown.erase(it);
        } else {
            ++it;
        }
    }
    for (long section : wanted) {
        auto found = shown.find(section);
        if (found == shown.end()) {
            SupplementaryView entry;
            entry.view = requestSupplementary(header, section, entry.reusable);
            found = shown.emplace(section, std::move(entry)).first;
        }
        const auto& view = found->second.view;
        if (!view) {
            continue;
        }
        const double height = header ? geometry_.headerHeight(section) : geometry_.footerHeight(section);
        double top = header ? geometry_.headerTop(section) : geometry_.footerTop(section);
        if (header && style_ == UITableViewStyle::plain) {
            // Pinned below the top inset while its section passes, pushed up by the next.
            const double pin = contentOffset().y + adjustedContentInset().top;
            const double last = geometry_.sectionBottom(section) - geometry_.footerHeight(section) - height;
            top = std::max(top, std::min(pin, last));
        }
        view->setFrame({{0, top}, {width, height}});
        if (view->superview().get() != this) {
            addSubview(view);
        } else if (header && style_ == UITableViewStyle::plain) {
            bringSubviewToFront(view);
        }
    }
}

std::shared_ptr<UIView> UITableView::requestSupplementary(bool header, long section, bool& reusable) {
    reusable = false;
    if (auto delegate = tableDelegate_.lock()) {
        auto view = header ? delegate->viewForHeaderInSection(*this, section)
                           : delegate->viewForFooterInSection(*this, section);
        if (view) {
            auto reusableView = std::dynamic_pointer_cast<UITableViewHeaderFooterView>(view);
            reusable = reusableView && !reusableView->reuseIdentifier().empty();
            if (reusableView) {
                headerFooterPool_.remove(reusableView.get());
            }
            return view;
        }
    }
    auto dataSource = dataSource_.lock();
    if (!dataSource) {
        return nullptr;
    }
    auto title = header ? dataSource->titleForHeaderInSection(*this, section)
                        : dataSource->titleForFooterInSection(*this, section);
    if (!title) {
        return nullptr;
    }
    auto view = headerFooterPool_.dequeue(kTitleViewIdentifier);
    view->textLabel()->setText(*title);
    reusable = true;
    return view;
}

void UITableView::dropSupplementary(SupplementaryView& entry) {
    if (!entry.view) {
        return;
    }
    if (entry.view->superview().get() == this) {
        entry.view->removeFromSuperview();
    }
    if (entry.reusable) {
        headerFooterPool_.enqueue(std::static_pointer_cast<UITableViewHeaderFooterView>(entry.view));
    }
    entry.view.reset();
}

void UITableView::placeTableHeaderAndFooter() {
    const CGFloat width = bounds().size.width;
    if (tableHeaderView_) {
        tableHeaderView_->setFrame({{0, 0}, {width, geometry_.tableHeaderHeight()}});
    }
    if (tableFooterView_) {
        tableFooterView_->setFrame(
            {{0, geometry_.tableFooterTop()}, {width, tableFooterView_->frame().size.height}});
    }
}

// ---- Geometry queries ----------------------------------------------------------------------------

CGRect UITableView::rectForSection(long section) {
    reloadIfNeeded();
    if (section < 0 || section >= geometry_.numberOfSections()) {
        return CGRectZero;
    }
    return {{0, geometry_.sectionTop(section)},
            {bounds().size.width, geometry_.sectionBottom(section) - geometry_.sectionTop(section)}};
}

CGRect UITableView::rectForRowAtIndexPath(const NSIndexPath& path) {
    reloadIfNeeded();
    if (!geometry_.contains(path)) {
        return CGRectZero;
    }
    return {{0, geometry_.rowTop(path)}, {bounds().size.width, geometry_.rowHeight(path)}};
}

CGRect UITableView::rectForHeaderInSection(long section) {
    reloadIfNeeded();
    if (section < 0 || section >= geometry_.numberOfSections()) {
        return CGRectZero;
    }
    return {{0, geometry_.headerTop(section)}, {bounds().size.width, geometry_.headerHeight(section)}};
}

CGRect UITableView::rectForFooterInSection(long section) {
    reloadIfNeeded();
    if (section < 0 || section >= geometry_.numberOfSections()) {
        return CGRectZero;
    }
    return {{0, geometry_.footerTop(section)}, {bounds().size.width, geometry_.footerHeight(section)}};
}

std::optional<NSIndexPath> UITableView::indexPathForRowAtPoint(CGPoint point) {
    reloadIfNeeded();
    if (point.x < 0 || point.x >= bounds().size.width) {
        return std::nullopt;
    }
    return geometry_.rowAt(point.y);
}

std::optional<NSIndexPath> UITableView::indexPathForCell(const UITableViewCell& cell) const {
    return indexPathOf(visibleCells_, cell);
}

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(const NSIndexPath& path) {
    layoutIfNeeded();
    return cellAt(visibleCells_, path);
}

std::vector<std::shared_ptr<UITableViewCell>> UITableView::visibleCells() {
    layoutIfNeeded();
    return cellsOf(visibleCells_);
}

std::vector<NSIndexPath> UITableView::indexPathsForVisibleRows() {
    layoutIfNeeded();
    return indexPathsOf(visibleCells_);
}

std::shared_ptr<UIView> UITableView::headerViewForSection(long section) {
    layoutIfNeeded();
    auto found = headers_.find(section);
    return found != headers_.end() ? found->second.view : nullptr;
}

std::shared_ptr<UIView> UITableView::footerViewForSection(long section) {
    layoutIfNeeded();
    auto found = footers_.find(section);
    return found != footers_.end() ? found->second.view : nullptr;
}

void UITableView::scrollToRowAtIndexPath(const NSIndexPath& path, UITableViewScrollPosition position,
                                         bool animated) {
    reloadIfNeeded();
    if (!geometry_.contains(path)) {
        throw std::out_of_range("scrollToRowAtIndexPath: no row at " + describe(path));
    }
    const CGRect row = rectForRowAtIndexPath(path);
    const UIEdgeInsets insets = adjustedContentInset();
    const double visibleHeight = bounds().size.height - insets.top - insets.bottom;
    double y = contentOffset().y;
    switch (position) {
    case UITableViewScrollPosition::top:
        y = row.minY() - insets.top;
        break;
    case UITableViewScrollPosition::middle:
        y = row.midY() - insets.top - visibleHeight / 2;
        break;
    case UITableViewScrollPosition::bottom:
        y = row.maxY() - insets.top - visibleHeight;
        break;
    case UITableViewScrollPosition::none:
        if (row.minY() < y + insets.top) {
            y = row.minY() - insets.top;
        } else if (row.maxY() > y + insets.top + visibleHeight) {
            y = row.maxY() - insets.top - visibleHeight;
        }
        break;
    }
    setContentOffset({contentOffset().x, verticalOffsetRange().clamp(y)}, animated);
}

// ---- Selection --------------------------------------------------------------------------------------

void UITableView::selectRowAtIndexPath(const std::optional<NSIndexPath>& path, bool animated,
                                       UITableViewScrollPosition position) {
    reloadIfNeeded();
    if (selected_) {
        if (auto found = visibleCells_.find(*selected_); found != visibleCells_.end()) {
            found->second->setSelected(false, animated);
        }
    }
    selected_ = path && geometry_.contains(*path) ? path : std::nullopt;
    if (!selected_) {
        return;
    }
    if (auto found = visibleCells_.find(*selected_); found != visibleCells_.end()) {
        found->second->setSelected(true, animated);
    }
    if (position != UITableViewScrollPosition::none) {
        scrollToRowAtIndexPath(*selected_, position, animated);
    }
}

void UITableView::deselectRowAtIndexPath(const NSIndexPath& path, bool animated) {
    if (selected_ != path) {
        return;
    }
    selected_.reset();
    if (auto found = visibleCells_.find(path); found != visibleCells_.end()) {
        found->second->setSelected(false, animated);
    }
}

std::shared_ptr<UITableViewCell>
UITableView::cellAtTouch(const std::vector<std::shared_ptr<UITouch>>& touches) {
    if (touches.empty()) {
        return nullptr;
    }
    // Rows reloaded since the last frame are in place before a touch looks for them.
    layoutIfNeeded();
    return cellContaining(visibleCells_, touches.front()->locationInView(this));
}

void UITableView::touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    touchedCell_.reset();
    swipeCandidate_.reset();
    swiping_ = false;
    if (swipedRow_) {
        // A touch anywhere but on the delete button closes the open row, and does nothing else.
        closeSwipedRow();
        return;
    }
    auto cell = cellAtTouch(touches);
    if (!cell || touchCaughtMotion()) {
        return;
    }
    swipeStart_ = touches.front()->locationInView(this);
    if (auto path = indexPathForCell(*cell); path && canSwipeToDelete(*path)) {
        swipeCandidate_ = path;
    }
    if (allowsSelection_) {
        cell->setHighlighted(true, false);
        touchedCell_ = cell;
    }
}

void UITableView::touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    if (touches.empty()) {
        return;
    }
    const CGPoint point = touches.front()->locationInView(this);
    const CGFloat dx = point.x - swipeStart_.x;
    const CGFloat dy = point.y - swipeStart_.y;
    // A finger that moves away is not tapping the row.
    if (std::hypot(dx, dy) > kSwipeSlop) {
        if (auto cell = touchedCell_.lock()) {
            cell->setHighlighted(false, false);
        }
        touchedCell_.reset();
    }
    if (!swipeCandidate_) {
        return;
    }
    if (!swiping_) {
        if (dx > -kSwipeSlop || std::fabs(dx) < std::fabs(dy)) {
            return;
        }
        swiping_ = true;
    }
    showSwipe(*swipeCandidate_, dx);
}

void UITableView::touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent*) {
    if (swiping_) {
        swiping_ = false;
        const auto path = swipeCandidate_;
        swipeCandidate_.reset();
        const CGFloat buttonWidth = deleteButton_ ? deleteButton_->frame().size.width : kDeleteButtonMinWidth;
        if (path && -swipeOffset_ > buttonWidth / 2) {
            UIView::animateWithDuration(0.2, [&] { showSwipe(*path, -buttonWidth); });
            swipedRow_ = path;
        } else {
            swipedRow_ = path;
            closeSwipedRow();
        }
        return;
    }
    swipeCandidate_.reset();
    auto cell = touchedCell_.lock();
    touchedCell_.reset();
    if (!cell) {
        return;
    }
    cell->setHighlighted(false, false);
    auto path = indexPathForCell(*cell);
    if (!path || cellAtTouch(touches) != cell) {
        return;
    }
    auto self = sharedView();
    auto delegate = tableDelegate_.lock();
    if (selected_ && *selected_ != *path) {
        const NSIndexPath previous = *selected_;
        deselectRowAtIndexPath(previous, false);
        if (delegate) {
            delegate->didDeselectRowAt(*this, previous);
        }
    }
    selected_ = path;
    cell->setSelected(true, false);
    if (delegate) {
        delegate->didSelectRowAt(*this, *path);
    }
}

void UITableView::touchesCancelled(const std::vector<std::shared_ptr<UITouch>>&, UIEvent*) {
    if (auto cell = touchedCell_.lock()) {
        cell->setHighlighted(false, false);
    }
    touchedCell_.reset();
    if (swiping_) {
        swiping_ = false;
        swipedRow_ = swipeCandidate_;
        closeSwipedRow();
    }
    swipeCandidate_.reset();
}

// ---- Swipe to delete -------------------------------------------------------------------------

void UITableView::contentOffsetDidChange() {
    if (swipedRow_ && isDragging()) {
        closeSwipedRow();
    }
    setNeedsLayout();
}

bool UITableView::canSwipeToDelete(const NSIndexPath& path) {
    auto dataSource = dataSource_.lock();
    if (!dataSource || !dataSource->canEditRowAt(*this, path)) {
        return false;
    }
    auto delegate = tableDelegate_.lock();
    return !delegate || delegate->editingStyleForRowAt(*this, path) == UITableViewCellEditingStyle::remove;
}

void UITableView::showSwipe(const NSIndexPath& path, CGFloat offset) {
    auto found = visibleCells_.find(path);
    if (found == visibleCells_.end()) {
        return;
    }
    if (!deleteButton_) {
        deleteButton_ = std::make_shared<UIButton>();
        deleteButton_->setBackgroundColor(UIColor::colorWithRed(1, 59 / 255.0, 48 / 255.0, 1));
        deleteButton_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
        std::weak_ptr<UIView> weak = sharedView();
        deleteButton_->addTarget(
            [weak](UIControl&) {
                if (auto self = std::static_pointer_cast<UITableView>(weak.lock())) {
                    self->deleteSwipedRow();
                }
            },
            UIControlEventTouchUpInside);
    }
    std::string title = "删除";
    if (auto delegate = tableDelegate_.lock()) {
        title = delegate->titleForDeleteConfirmationButtonForRowAt(*this, path).value_or(title);
    }
    deleteButton_->setTitle(title, UIControlStateNormal);
    const CGFloat buttonWidth =
        std::max(kDeleteButtonMinWidth, deleteButton_->intrinsicContentSize().width + 30);
    const CGRect row = rectForRowAtIndexPath(path);
    swipeOffset_ = std::clamp<CGFloat>(offset, -buttonWidth * 1.5, 0);
    found->second->setTransform(CGAffineTransformMakeTranslation(swipeOffset_, 0));
    deleteButton_->setFrame({{row.maxX() - buttonWidth, row.origin.y}, {buttonWidth, row.size.height}});
    deleteButton_->setHidden(false);
    insertSubviewBelow(deleteButton_, found->second);
}

void UITableView::closeSwipedRow() {
    for (const auto& path : {swipedRow_, swipeCandidate_}) {
        if (!path) {
            continue;
        }
        if (auto found = visibleCells_.find(*path); found != visibleCells_.end()) {
            UIView::animateWithDuration(0.2, [&] { found->second->setTransform(CGAffineTransformIdentity); });
        }
    }
    swipedRow_.reset();
    swipeOffset_ = 0;
    if (deleteButton_) {
        deleteButton_->setHidden(true);
    }
}

void UITableView::deleteSwipedRow() {
    const auto path = swipedRow_;
    closeSwipedRow();
    auto dataSource = dataSource_.lock();
    if (path && dataSource) {
        auto self = sharedView();
        dataSource->commit(*this, UITableViewCellEditingStyle::remove, *path);
    }
}
