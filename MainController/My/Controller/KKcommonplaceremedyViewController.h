#pragma once

#include "MainController/My/Model/DownloadCoordinator.h"
#include "MainController/My/Model/KKsummarizepresentation.h"
#include "app/Base/BaseViewController.h"
#include "app/Records/KKcommenthumble.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <vector>

class KKcombcripple;

// The download manager: the episodes still downloading ("正在下载", one row each, with
// their state, speed and progress) above the titles already downloaded ("已下载", one row
// per title with its count of episodes), and a storage line at the bottom. A tap pauses
// or resumes a download or opens a title's downloaded episodes; a swipe deletes. The
// page follows the downloads through the download coordinator and resumes the
// unfinished ones each time it appears.
class KKcommonplaceremedyViewController : public BaseViewController,
                                          public UITableViewDataSource,
                                          public UITableViewDelegate,
                                          public DownloadObserver {
  public:
    const std::shared_ptr<UIView>& kkexemptconvention();
    const std::shared_ptr<QMUIButton>& kkdilemmaspectacular();
    const std::shared_ptr<QMUILabel>& titleLabel();
    const std::shared_ptr<UITableView>& tableView();
    const std::shared_ptr<QMUILabel>& kkvirtuearch();
    // Section 1: one finished record per downloaded title.
    std::vector<std::shared_ptr<KKcommenthumble>> kkacademyendurance;
    // Section 0: the unfinished records, newest first.
    std::vector<std::shared_ptr<KKcommenthumble>> kkenduranceminority;
    KKsummarizepresentation speed;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    bool preferredNavigationBarHidden() const override { return true; }

    virtual void setupUI();
    virtual void loadData();
    virtual void resumeDownloads();

    long numberOfSections(UITableView& tableView) override { return 2; }
    long numberOfRowsInSection(UITableView& tableView, long section) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<std::string> titleForHeaderInSection(UITableView& tableView, long section) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    void didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    bool canEditRowAt(UITableView& tableView, const NSIndexPath& indexPath) override { return true; }
    void commit(UITableView& tableView, UITableViewCellEditingStyle editingStyle,
                const NSIndexPath& indexPath) override;

    void downloadProgressDidChange(const std::string& url, float progress) override;
    void downloadStateDidChange(const std::string& url, const std::string& state,
                                const std::optional<NSError>& error) override;

  private:
    std::shared_ptr<KKcommenthumble> recordAt(const NSIndexPath& indexPath) const;
    void showProgress(KKcombcripple& cell, float progress);

    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<QMUIButton> kkdilemmaspectacular_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<UITableView> tableView_;
    std::shared_ptr<QMUILabel> kkvirtuearch_;
};
