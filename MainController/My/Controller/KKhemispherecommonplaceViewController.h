#pragma once

#include "app/Base/BaseViewController.h"
#include "app/Base/PagedList.h"
#include "app/Models/KKfinancerub.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <vector>

// The titles the signed-in member keeps on the service ("api/getCollectionList"), in the
// service's order. A row's collect button takes the title off the service's list; once the
// service confirms, the row goes and the list is asked again. A row opens the title. The
// list is asked when the page loads and after each removal.
class KKhemispherecommonplaceViewController : public BaseViewController,
                                              public UITableViewDataSource,
                                              public UITableViewDelegate {
  public:
    void viewDidLoad() override;

    long numberOfRowsInSection(UITableView& tableView, long section) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    void didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;

    const std::shared_ptr<UITableView>& tableView() const { return tableView_; }
    const std::vector<KKfinancerub>& list() const { return films_->items(); }

  private:
    void setupUI();
    static void fetchFilms(int page, PagedListBase::Completion completion);
    void remove(const KKfinancerub& film);

    std::shared_ptr<UITableView> tableView_;
    // One page, asked again after each removal; the empty view follows the rows.
    std::shared_ptr<PagedList<KKfinancerub>> films_ =
        PagedList<KKfinancerub>::make(&KKhemispherecommonplaceViewController::fetchFilms,
                                      {.pullDownHeader = false,
                                       .loadMoreFooter = false,
                                       .emptyView = PagedListStyle::EmptyView::whenNoRows});
};
