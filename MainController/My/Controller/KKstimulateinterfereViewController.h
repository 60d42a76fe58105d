#pragma once

#include "app/Base/BaseViewController.h"
#include "platform/Foundation/JSON.h"
#include "platform/JXBanner/JXBanner.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <optional>
#include <vector>

class QMUIButton;
class QMUILabel;
class UIImageView;
class UIStackView;

// The My tab's root: a header picture with the avatar, the nickname and the settings
// button; an entry bar (history, favourites, downloads, notices); the ad banner of
// position "8"; and a menu of feedback, contact and about. The avatar and the downloads
// entry exist only when "showAD" is true as the page is built; "clearAD" hides the banner.
class KKstimulateinterfereViewController : public BaseViewController,
                                           public UITableViewDataSource,
                                           public UITableViewDelegate,
                                           public JXBannerDataSource,
                                           public JXBannerDelegate {
  public:
    // The contact page of the service's operator, as standard Base64 of its address.
    static constexpr const char* contactAddressBase64 = "aHR0cHM6Ly9vcnZleC5hcHAvY29udGFjdA==";

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    bool preferredNavigationBarHidden() const override { return true; }

    // Menu.
    long numberOfRowsInSection(UITableView& tableView, long section) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    void didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;

    // Banner.
    JXBannerCellRegister registerCell(JXBanner& banner) override;
    long numberOfItems(JXBanner& banner) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(JXBanner& banner, long index,
                                                        std::shared_ptr<UICollectionViewCell> cell) override;
    JXBannerParams params(JXBanner& banner, JXBannerParams params) override;
    void didSelectItemAt(JXBanner& banner, long index) override;

    const std::shared_ptr<UIImageView>& avatar() const { return kkinnumerablesummary_; }
    const std::shared_ptr<QMUILabel>& nickname() const { return kksummaryobey_; }
    const std::shared_ptr<JXBanner>& bannerView() const { return kkdomaingrape_; }
    const std::shared_ptr<UITableView>& tableView() const { return tableView_; }
    // The ad items of the last answer; none before one arrived.
    const std::optional<std::vector<JSON>>& banner() const { return banner_; }

  private:
    void setupUI();
    void makeEntries();
    void makeConstraints();
    std::shared_ptr<QMUIButton> makeEntry(const std::string& title, const std::string& image,
                                          std::function<void(KKstimulateinterfereViewController&)> tap);
    void headerRefresh();
    void headerTap();
    void favouritesTap();
    void bannerData(const std::optional<JSON>& json);
    void openContact();
    // Settings button.
    void kkaffiliatemineral();
    void show(std::shared_ptr<UIViewController> page);

    std::shared_ptr<UIImageView> backgroundView_;
    std::shared_ptr<UIImageView> kkinnumerablesummary_; // avatar
    std::shared_ptr<QMUILabel> kksummaryobey_;          // nickname
    std::shared_ptr<QMUIButton> kkhostageaffiliate_;    // settings
    std::shared_ptr<UIStackView> kkloungecandy_;        // entry bar and banner
    std::shared_ptr<UIStackView> kkaccountanttense_;    // entry bar
    std::shared_ptr<JXBanner> kkdomaingrape_;           // banner
    std::shared_ptr<UITableView> tableView_;            // menu
    std::shared_ptr<QMUIButton> kkdisturbtissue_;       // history
    std::shared_ptr<QMUIButton> kkpettyverdict_;        // favourites
    std::shared_ptr<QMUIButton> kktissuelounge_;        // downloads
    std::shared_ptr<QMUIButton> kkmineralallow_;        // notices
    std::optional<std::vector<JSON>> banner_;
};
