#pragma once

#include "app/Base/BaseViewController.h"
#include "app/Base/PagedList.h"
#include "platform/Foundation/JSON.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <vector>

class QMUIButton;
class QMUILabel;

// The service's notices ("api/getNotice") as cards under a top bar of the page's own
// with a back button and the title "消息公告". The first load starts at once; pulling
// the list down loads it again.
class KKboycotthemisphereViewController : public BaseViewController,
                                          public UITableViewDataSource,
                                          public UITableViewDelegate {
  public:
    void viewDidLoad() override;
    bool preferredNavigationBarHidden() const override { return true; }

    long numberOfRowsInSection(UITableView& tableView, long section) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;

    const std::shared_ptr<UITableView>& tableView() const { return tableView_; }
    const std::shared_ptr<QMUIButton>& backButton() const { return kkdilemmaspectacular_; }
    // The notices of the last answer.
    const std::vector<JSON>& list() const { return notices_->items(); }

  private:
    void setupUI();
    static void fetchNotices(int page, PagedListBase::Completion completion);
    // The notice of a row; an absent value for a row outside the list.
    JSON notice(long row) const;

    std::shared_ptr<UIView> kkexemptconvention_; // top bar
    std::shared_ptr<QMUIButton> kkdilemmaspectacular_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<UITableView> tableView_;
    // One page: the pull-down asks it again, and the notices shown stay until its answer.
    std::shared_ptr<PagedList<JSON>> notices_ =
        PagedList<JSON>::make(&KKboycotthemisphereViewController::fetchNotices, {.loadMoreFooter = false});
};
