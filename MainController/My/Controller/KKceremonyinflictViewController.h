#pragma once

#include "app/Base/BaseViewController.h"
#include "app/Records/KKcommenthumble.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

// The downloaded episodes of one title: one row per finished episode with whether it was
// watched and how much space its media takes. A tap plays the episode from disk on the
// player page; a swipe deletes the episode and its media. Sizes come from the media cache
// proxy's database, opened read-only (the page never creates or changes it).
class KKceremonyinflictViewController : public BaseViewController,
                                        public UITableViewDataSource,
                                        public UITableViewDelegate {
  public:
    ~KKceremonyinflictViewController() override;

    const std::shared_ptr<UIView>& kkexemptconvention();
    const std::shared_ptr<QMUIButton>& kkdilemmaspectacular();
    const std::shared_ptr<QMUILabel>& titleLabel();
    const std::shared_ptr<UITableView>& tableView();
    const std::shared_ptr<QMUILabel>& kkvirtuearch();
    // The proxy's database, when it could be opened.
    sqlite3* db = nullptr;
    std::optional<std::string> vod_id;
    // The finished episodes, in episode order.
    std::vector<std::shared_ptr<KKcommenthumble>> list;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    bool preferredNavigationBarHidden() const override { return true; }

    virtual void setupUI();
    virtual void loadData();
    virtual void openCacheDatabase();
    // The size text of the media exported from `url` ("0 MB" when the proxy has none).
    std::string sizeText(const std::string& url);

    long numberOfRowsInSection(UITableView& tableView, long section) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    void didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    bool canEditRowAt(UITableView& tableView, const NSIndexPath& indexPath) override { return true; }
    void commit(UITableView& tableView, UITableViewCellEditingStyle editingStyle,
                const NSIndexPath& indexPath) override;

  private:
    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<QMUIButton> kkdilemmaspectacular_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<UITableView> tableView_;
    std::shared_ptr<QMUILabel> kkvirtuearch_;
};
