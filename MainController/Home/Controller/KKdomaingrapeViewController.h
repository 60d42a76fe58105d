#pragma once

#include "app/Base/BaseViewController.h"
#include "platform/Foundation/JSON.h"
#include "platform/JXBanner/JXBanner.h"
#include "platform/JXSegmentedView/JXSegmentedListContainerView.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <optional>
#include <vector>

// The home page's recommend tab: one answer of "api/indexList" as a grouped table, with
// the ad banner as the first section's header (unless ads are cleared), then the row of
// recommendation cards when there is one, then one shelf of posters per section.
// Pull-to-refresh asks again.
class KKdomaingrapeViewController : public BaseViewController,
                                    public JXSegmentedListContainerViewListDelegate,
                                    public UITableViewDataSource,
                                    public UITableViewDelegate,
                                    public JXBannerDataSource,
                                    public JXBannerDelegate {
  public:
    const std::shared_ptr<UITableView>& tableView() const { return tableView_; }
    // Made when the table first asks for the banner.
    const std::shared_ptr<JXBanner>& kkdomaingrape() const { return kkdomaingrape_; }
    const std::optional<std::vector<JSON>>& rec() const { return rec_; }
    const std::optional<std::vector<JSON>>& banner() const { return banner_; }
    const std::optional<std::vector<JSON>>& recList() const { return recList_; }

    void viewDidLoad() override;
    std::shared_ptr<UIView> listView() override { return view(); }

    // Asks "api/indexList"; an answer replaces the cards, the banner and the shelves.
    void loadData();

    // ---- The table ----
    long numberOfSections(UITableView& tableView) override;
    long numberOfRowsInSection(UITableView& tableView, long section) override { return 1; }
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForHeaderInSection(UITableView& tableView, long section) override;
    std::optional<CGFloat> heightForFooterInSection(UITableView& tableView, long section) override {
        return 0.1;
    }
    std::shared_ptr<UIView> viewForHeaderInSection(UITableView& tableView, long section) override;

    // ---- The banner ----
    JXBannerCellRegister registerCell(JXBanner& banner) override;
    long numberOfItems(JXBanner& banner) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(JXBanner& banner, long index,
                                                        std::shared_ptr<UICollectionViewCell> cell) override;
    JXBannerParams params(JXBanner& banner, JXBannerParams params) override;
    JXBannerLayoutParams layoutParams(JXBanner& banner, JXBannerLayoutParams layoutParams) override;
    void didSelectItemAt(JXBanner& banner, long index) override;

  private:
    void setupUI();
    bool showsBanner() const;
    const std::shared_ptr<UIView>& bannerContainer();

    std::shared_ptr<UITableView> tableView_;
    std::shared_ptr<JXBanner> kkdomaingrape_;
    std::shared_ptr<UIView> kkgrapeleap_;
    std::optional<std::vector<JSON>> rec_;
    std::optional<std::vector<JSON>> banner_;
    std::optional<std::vector<JSON>> recList_;
};
