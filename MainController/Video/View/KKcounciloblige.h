#pragma once

#include "platform/Foundation/JSON.h"
#include "platform/JXBanner/JXBanner.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UICollectionViewCell.h"
#include "platform/UIKit/UIStackView.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The player page's section header: an ad banner (shown only when the service returns
// ads and ads are not switched off), the title's name, its year/area/class line, four
// action buttons (feedback, play sources, download, favourite) and a separator. It asks
// for its ads once, when made; the page sets the texts, the favourite state and what the
// buttons do.
class KKcounciloblige : public UICollectionReusableView, public JXBannerDataSource, public JXBannerDelegate {
  public:
    // A header with its views built and its ad request sent.
    static std::shared_ptr<KKcounciloblige> make();
    KKcounciloblige() = default;

    const std::shared_ptr<JXBanner>& kkdomaingrape() const { return kkdomaingrape_; }
    const std::shared_ptr<QMUILabel>& title() const { return title_; }
    const std::shared_ptr<QMUILabel>& classType() const { return classType_; }
    const std::shared_ptr<UIStackView>& kkloungecandy() const { return kkloungecandy_; }
    // Favourite, download, play-source and feedback buttons.
    const std::shared_ptr<QMUIButton>& kkpettyverdict() const { return kkpettyverdict_; }
    const std::shared_ptr<QMUIButton>& kkbalancepersonnel() const { return kkbalancepersonnel_; }
    const std::shared_ptr<QMUIButton>& kkpersonnelimpetus() const { return kkpersonnelimpetus_; }
    const std::shared_ptr<QMUIButton>& kkimpetusorientation() const { return kkimpetusorientation_; }
    // The separator; the page sizes the header to its bottom edge.
    const std::shared_ptr<UIView>& kkdecoratevirtue() const { return kkdecoratevirtue_; }
    // The ad items of the last answer with data.
    const std::optional<std::vector<JSON>>& banner() const { return banner_; }

    std::function<void()> clickDown;
    std::function<void()> loadBanner;
    std::function<void()> clickSwitch;
    std::function<void()> clickFeedback;
    std::function<void(bool selected)> clickCollect;

    JXBannerCellRegister registerCell(JXBanner& banner) override;
    long numberOfItems(JXBanner& banner) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(JXBanner& banner, long index,
                                                        std::shared_ptr<UICollectionViewCell> cell) override;
    JXBannerParams params(JXBanner& banner, JXBannerParams params) override;
    JXBannerLayoutParams layoutParams(JXBanner& banner, JXBannerLayoutParams layoutParams) override;
    void didSelectItemAt(JXBanner& banner, long index) override;

  private:
    void setupUI();
    std::shared_ptr<QMUIButton> actionButton(const std::string& image,
                                             std::function<void()> KKcounciloblige::*action);
    void applyAdverts(const std::optional<JSON>& answer);
    void moveTitleToTop();

    std::shared_ptr<JXBanner> kkdomaingrape_;
    std::shared_ptr<QMUILabel> title_;
    std::shared_ptr<QMUILabel> classType_;
    std::shared_ptr<UIStackView> kkloungecandy_;
    std::shared_ptr<QMUIButton> kkpettyverdict_;
    std::shared_ptr<QMUIButton> kkbalancepersonnel_;
    std::shared_ptr<QMUIButton> kkpersonnelimpetus_;
    std::shared_ptr<QMUIButton> kkimpetusorientation_;
    std::shared_ptr<UIView> kkdecoratevirtue_;
    std::optional<std::vector<JSON>> banner_;
};
