#pragma once

#include "app/Base/BaseViewController.h"
#include "app/Base/PagedList.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackRecord.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <vector>

// What the user watched, one row per title, the most recently played first, with how far
// it was watched. A row opens the title; its delete button removes the title's records;
// "清空" in the bar removes all of them after a confirmation. The records are the player
// pages'; this page reads them afresh whenever it appears.
class KKinterfereboycottViewController : public BaseViewController,
                                         public UITableViewDataSource,
                                         public UITableViewDelegate {
  public:
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    long numberOfRowsInSection(UITableView& tableView, long section) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    void didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;

    const std::shared_ptr<UITableView>& tableView() const { return tableView_; }
    const std::vector<std::shared_ptr<SJPlaybackRecord>>& list() const { return records_->items(); }

  private:
    void setupUI();
    void loadRecords();
    void confirmClearAll();
    void remove(const SJPlaybackRecord& record);
    // The bar button's action.
    void kksurvivaladequate();

    std::shared_ptr<UITableView> tableView_;
    // Read from the store, not asked: one page, and the empty view follows the rows, also
    // after a clearing or the last deletion.
    std::shared_ptr<PagedList<std::shared_ptr<SJPlaybackRecord>>> records_ =
        PagedList<std::shared_ptr<SJPlaybackRecord>>::make(
            nullptr,
            {.pullDownHeader = false,
             .loadMoreFooter = false,
             .emptyView = PagedListStyle::EmptyView::onceAnswered},
            nullptr);
};
