#pragma once

#include "platform/UIKit/Controls/NSIndexPath.h"
#include "platform/UIKit/Controls/ReusePool.h"
#include "platform/UIKit/Controls/TableGeometry.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/Controls/UITableViewCell.h"
#include "platform/UIKit/Controls/VisibleCells.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

class UIButton;
class UITableView;

enum class UITableViewStyle { plain, grouped, insetGrouped };
enum class UITableViewCellSeparatorStyle { none, singleLine };
enum class UITableViewScrollPosition { none, top, middle, bottom };
enum class UITableViewCellEditingStyle { none, remove, insert };
enum class UITableViewRowAnimation { fade, right, left, top, bottom, none, middle, automatic = 100 };

// A height that the table works out itself: the row's cell measured at the table's width.
inline constexpr CGFloat UITableViewAutomaticDimension = -1;

// Where a table's rows come from. Rows of a section are counted, then asked for as they
// come into sight.
class UITableViewDataSource {
  public:
    virtual ~UITableViewDataSource() = default;
    virtual long numberOfSections(UITableView& tableView) { return 1; }
    virtual long numberOfRowsInSection(UITableView& tableView, long section) = 0;
    // A cell for the row, normally from dequeueReusableCellWithIdentifier(identifier, indexPath).
    virtual std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                          const NSIndexPath& indexPath) = 0;
    virtual std::optional<std::string> titleForHeaderInSection(UITableView& tableView, long section) {
        return std::nullopt;
    }
    virtual std::optional<std::string> titleForFooterInSection(UITableView& tableView, long section) {
        return std::nullopt;
    }
    // Rows that can be edited offer a delete button when swiped to the left.
    virtual bool canEditRowAt(UITableView& tableView, const NSIndexPath& indexPath) { return false; }
    // The delete button of a swiped row was tapped.
    virtual void commit(UITableView& tableView, UITableViewCellEditingStyle editingStyle,
                        const NSIndexPath& indexPath) {}
};

// What a table asks and tells beyond the rows. A method that answers nothing (nullopt,
// nullptr) leaves the table to its own settings.
class UITableViewDelegate : public UIScrollViewDelegate {
  public:
    virtual std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) {
        return std::nullopt;
    }
    virtual std::optional<CGFloat> heightForHeaderInSection(UITableView& tableView, long section) {
        return std::nullopt;
    }
    virtual std::optional<CGFloat> heightForFooterInSection(UITableView& tableView, long section) {
        return std::nullopt;
    }
    virtual std::shared_ptr<UIView> viewForHeaderInSection(UITableView& tableView, long section) {
        return nullptr;
    }
    virtual std::shared_ptr<UIView> viewForFooterInSection(UITableView& tableView, long section) {
        return nullptr;
    }
    virtual void willDisplay(UITableView& tableView, UITableViewCell& cell, const NSIndexPath& indexPath) {}
    virtual void didEndDisplaying(UITableView& tableView, UITableViewCell& cell,
                                  const NSIndexPath& indexPath) {}
    virtual void didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) {}
    virtual void didDeselectRowAt(UITableView& tableView, const NSIndexPath& indexPath) {}
    virtual UITableViewCellEditingStyle editingStyleForRowAt(UITableView& tableView,
                                                             const NSIndexPath& indexPath) {
        return UITableViewCellEditingStyle::remove;
    }
    virtual std::optional<std::string>
    titleForDeleteConfirmationButtonForRowAt(UITableView& tableView, const NSIndexPath& indexPath) {
        return std::nullopt;
    }
};

// A vertical list of rows in sections, with section headers and footers (pinned to the
// top while their section scrolls by in the plain style) and a header and footer for the
// whole table. Only the rows in sight have cells: cells that leave the screen wait in a
// pool and are handed out again for rows that come into sight, so a long list costs what
// a screenful costs. Heights come from the delegate, else the table's settings; automatic
// heights are measured from the cells.
class UITableView : public UIScrollView {
  public:
    explicit UITableView(const CGRect& frame = CGRectZero, UITableViewStyle style = UITableViewStyle::plain);
    ~UITableView() override;

    UITableViewStyle style() const { return style_; }

    std::shared_ptr<UITableViewDataSource> dataSource() const { return dataSource_.lock(); }
    // Held weakly.
    void setDataSource(const std::shared_ptr<UITableViewDataSource>& dataSource);
    std::shared_ptr<UITableViewDelegate> delegate() const { return tableDelegate_.lock(); }
    // Held weakly; also the scroll view's delegate.
    void setDelegate(const std::shared_ptr<UITableViewDelegate>& delegate);

    // ---- Heights ----
    CGFloat rowHeight() const { return rowHeight_; }
    void setRowHeight(CGFloat height);
    CGFloat estimatedRowHeight() const { return estimatedRowHeight_; }
    void setEstimatedRowHeight(CGFloat height);
    CGFloat sectionHeaderHeight() const { return sectionHeaderHeight_; }
    void setSectionHeaderHeight(CGFloat height);
    CGFloat sectionFooterHeight() const { return sectionFooterHeight_; }
    void setSectionFooterHeight(CGFloat height);
    CGFloat estimatedSectionHeaderHeight() const { return estimatedSectionHeaderHeight_; }
    void setEstimatedSectionHeaderHeight(CGFloat height) { estimatedSectionHeaderHeight_ = height; }
    CGFloat estimatedSectionFooterHeight() const { return estimatedSectionFooterHeight_; }
    void setEstimatedSectionFooterHeight(CGFloat height) { estimatedSectionFooterHeight_ = height; }
    // Space above each section header.
    CGFloat sectionHeaderTopPadding() const { return sectionHeaderTopPadding_; }
    void setSectionHeaderTopPadding(CGFloat padding);

    // ---- Look ----
    UITableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
    void setSeparatorStyle(UITableViewCellSeparatorStyle style);
    UIColor separatorColor() const { return separatorColor_; }
    void setSeparatorColor(const UIColor& color);
    UIEdgeInsets separatorInset() const { return separatorInset_; }
    void setSeparatorInset(const UIEdgeInsets& insets);
    // Views above the first and below the last section, as high as their frames say.
    const std::shared_ptr<UIView>& tableHeaderView() const { return tableHeaderView_; }
    void setTableHeaderView(std::shared_ptr<UIView> view);
    const std::shared_ptr<UIView>& tableFooterView() const { return tableFooterView_; }
    void setTableFooterView(std::shared_ptr<UIView> view);

    // ---- Cells ----
    using CellFactory = std::function<std::shared_ptr<UITableViewCell>()>;
    using HeaderFooterFactory = std::function<std::shared_ptr<UITableViewHeaderFooterView>()>;
    void registerClass(CellFactory factory, const std::string& identifier);
    template <class Cell> void registerClass(const std::string& identifier) {
        registerClass(
            [identifier]() -> std::shared_ptr<UITableViewCell> {
                if constexpr (std::is_constructible_v<Cell, UITableViewCellStyle, std::string>) {
                    return std::make_shared<Cell>(UITableViewCellStyle::defaultStyle, identifier);
                } else {
                    return std::make_shared<Cell>();
                }
            },
            identifier);
    }
    void registerHeaderFooterClass(HeaderFooterFactory factory, const std::string& identifier);
    // A cell waiting for reuse, else a new one of the registered class; nothing when the
    // identifier was never registered and no cell waits.
    std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier);
    // The same, for a row; an unregistered identifier is a programming error (throws).
    std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(const std::string& identifier,
                                                                       const NSIndexPath& indexPath);
    std::shared_ptr<UITableViewHeaderFooterView>
    dequeueReusableHeaderFooterViewWithIdentifier(const std::string& identifier);

    // ---- Data ----
    // Asks the data source again (at the next layout pass) and shows the rows anew.
    void reloadData();
    // Asks again for the heights and cells of these rows only.
    void reloadRowsAtIndexPaths(const std::vector<NSIndexPath>& indexPaths,
                                UITableViewRowAnimation animation);
    long numberOfSections();
    long numberOfRowsInSection(long section);

    // ---- Geometry and visible rows ----
    CGRect rectForSection(long section);
    CGRect rectForRowAtIndexPath(const NSIndexPath& indexPath);
    CGRect rectForHeaderInSection(long section);
    CGRect rectForFooterInSection(long section);
    std::optional<NSIndexPath> indexPathForRowAtPoint(CGPoint point);
    std::optional<NSIndexPath> indexPathForCell(const UITableViewCell& cell) const;
    // The cell showing the row, when it is in sight.
    std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const NSIndexPath& indexPath);
    std::vector<std::shared_ptr<UITableViewCell>> visibleCells();
    std::vector<NSIndexPath> indexPathsForVisibleRows();
    std::shared_ptr<UIView> headerViewForSection(long section);
    std::shared_ptr<UIView> footerViewForSection(long section);
    void scrollToRowAtIndexPath(const NSIndexPath& indexPath, UITableViewScrollPosition position,
                                bool animated);

    // ---- Selection ----
    bool allowsSelection() const { return allowsSelection_; }
    void setAllowsSelection(bool allows);
    std::optional<NSIndexPath> indexPathForSelectedRow() const { return selected_; }
    // Selects without telling the delegate, scrolling as asked.
    void selectRowAtIndexPath(const std::optional<NSIndexPath>& indexPath, bool animated,
                              UITableViewScrollPosition position);
    void deselectRowAtIndexPath(const NSIndexPath& indexPath, bool animated);

    // Cells alive for this table: those in sight and those waiting for reuse.
    std::size_t liveCellCount() const { return visibleCells_.size() + cellPool_.waitingCount(); }

    // ---- UIView ----
    void layoutSubviews() override;
    // The row swiped open to show its delete button, if any.
    std::optional<NSIndexPath> indexPathForSwipedRow() const { return swipedRow_; }

    void touchesBegan(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesMoved(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;
    void touchesCancelled(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  protected:
    void contentOffsetDidChange() override;
    void adjustedContentInsetDidChange() override { setNeedsLayout(); }

  private:
    struct SupplementaryView {
        std::shared_ptr<UIView> view;
        bool reusable = false;
    };

    void reloadIfNeeded();
    double measuredRowHeight(const NSIndexPath& indexPath);
    double resolvedRowHeight(const NSIndexPath& indexPath, UITableViewDelegate* delegate);
    double headerHeightFor(long section, UITableViewDelegate* delegate, UITableViewDataSource* dataSource);
    double footerHeightFor(long section, UITableViewDelegate* delegate, UITableViewDataSource* dataSource);
    void tile();
    void recycleCell(const NSIndexPath& indexPath);
    std::shared_ptr<UITableViewCell> requestCell(const NSIndexPath& indexPath);
    void configureSeparator(UITableViewCell& cell, const NSIndexPath& indexPath);
    void tileSupplementary(bool header, const std::vector<long>& sections);
    std::shared_ptr<UIView> requestSupplementary(bool header, long section, bool& reusable);
    void dropSupplementary(SupplementaryView& entry);
    void placeTableHeaderAndFooter();
    std::shared_ptr<UITableViewCell> cellAtTouch(const std::vector<std::shared_ptr<UITouch>>& touches);
    bool canSwipeToDelete(const NSIndexPath& indexPath);
    void showSwipe(const NSIndexPath& indexPath, CGFloat offset);
    void closeSwipedRow();
    void deleteSwipedRow();

    UITableViewStyle style_;
    std::weak_ptr<UITableViewDataSource> dataSource_;
    std::weak_ptr<UITableViewDelegate> tableDelegate_;
    CGFloat rowHeight_ = 44;
    CGFloat estimatedRowHeight_ = 0;
    CGFloat sectionHeaderHeight_ = UITableViewAutomaticDimension;
    CGFloat sectionFooterHeight_ = UITableViewAutomaticDimension;
    CGFloat estimatedSectionHeaderHeight_ = 0;
    CGFloat estimatedSectionFooterHeight_ = 0;
    CGFloat sectionHeaderTopPadding_ = 0;
    UITableViewCellSeparatorStyle separatorStyle_ = UITableViewCellSeparatorStyle::singleLine;
    UIColor separatorColor_;
    UIEdgeInsets separatorInset_{0, 16, 0, 0};
    std::shared_ptr<UIView> tableHeaderView_;
    std::shared_ptr<UIView> tableFooterView_;
    bool allowsSelection_ = true;

    ReusePool<UITableViewCell> cellPool_;
    ReusePool<UITableViewHeaderFooterView> headerFooterPool_;
    TableGeometry geometry_;
    bool needsReload_ = true;
    CGFloat laidOutWidth_ = -1;
    // Rows with automatic heights still showing an estimate.
    std::vector<std::vector<bool>> estimated_;
    VisibleCells<UITableViewCell> visibleCells_;
    std::map<long, SupplementaryView> headers_;
    std::map<long, SupplementaryView> footers_;
    std::optional<NSIndexPath> selected_;
    std::weak_ptr<UITableViewCell> touchedCell_;
    // Swipe to delete.
    std::optional<NSIndexPath> swipedRow_;
    std::optional<NSIndexPath> swipeCandidate_;
    CGPoint swipeStart_;
    CGFloat swipeOffset_ = 0;
    bool swiping_ = false;
    std::shared_ptr<UIButton> deleteButton_;
};
