#pragma once

#include "app/Base/BaseViewController.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <string>
#include <vector>

// The resource list of one title: opened with the title's `vod_id` set, it asks the
// service for the sites that carry the title and lists them under a fixed hint band; a
// row opens the player page for that resource.
class KKgiganticgloomy : public BaseViewController, public UITableViewDataSource, public UITableViewDelegate {
  public:
    std::string vod_id;

    void viewDidLoad() override;

    const std::shared_ptr<UITableView>& tableView();
    const std::shared_ptr<QMUILabel>& kkpublicationsummon();
    // One JSON object per resource, in the service's order.
    const std::vector<JSON>& list() const { return list_; }

    long numberOfRowsInSection(UITableView& tableView, long section) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    void didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;

  protected:
    virtual void setupUI();

  private:
    void handleResources(const std::optional<JSON>& answer);

    std::shared_ptr<UITableView> tableView_;
    std::shared_ptr<QMUILabel> kkpublicationsummon_;
    std::vector<JSON> list_;
};
