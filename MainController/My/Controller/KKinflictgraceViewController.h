#pragma once

#include "app/Base/BaseViewController.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>

class UISwitch;

// Settings: "清除缓存" empties the image cache and the media cache proxy's removable
// caches; "开机动画声音" switches the sound of the launch video ("openLaunchSound").
class KKinflictgraceViewController : public BaseViewController,
                                     public UITableViewDataSource,
                                     public UITableViewDelegate {
  public:
    void viewDidLoad() override;

    long numberOfRowsInSection(UITableView& tableView, long section) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    void didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;

    const std::shared_ptr<UITableView>& tableView();
    const std::shared_ptr<UISwitch>& soundSwitch();

  private:
    // The switch's action: stores its state.
    void kkmemorialsurvival();
    void clearCaches();

    std::shared_ptr<UITableView> tableView_;
    std::shared_ptr<UISwitch> kkpersonnelimpetus_;
};
