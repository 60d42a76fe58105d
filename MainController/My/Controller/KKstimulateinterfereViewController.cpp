#include "MainController/My/Controller/KKstimulateinterfereViewController.h"

#include "MainController/Home/Helpers/AdItem.h"
#include "MainController/Login/Controller/KKinterimspatialViewController.h"
#include "MainController/My/Controller/KKboycotthemisphereViewController.h"
#include "MainController/My/Controller/KKcommonplaceremedyViewController.h"
#include "MainController/My/Controller/KKgracestimulateViewController.h"
#include "MainController/My/Controller/KKhemispherecommonplaceViewController.h"
#include "MainController/My/Controller/KKinflictgraceViewController.h"
#include "MainController/My/Controller/KKinterfereboycottViewController.h"
#include "MainController/My/Controller/KKspatialceremonyViewController.h"
#include "MainController/My/View/MyTexts.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKrearinfluence.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UIStackView.h"

namespace {

constexpr CGFloat kMenuRowHeight = 58;

// The menu rows: image, title and detail (Base64 texts; no detail when empty).
struct MenuRow {
    const char* image;
    const char* title;
    const char* detail;
};
constexpr MenuRow kMenuRows[] = {
    {"my_feedback", "5oiR6KaB5Y+N6aaIKOaxgueJhyk=", ""},              // 我要反馈(求片)
    {"my_about", "6IGU57O75oiR5Lus", "54K55Ye75Yqg5YWlVEfnvqTogYo="}, // 联系我们, 点击加入TG群聊
    {"my_about", "5YWz5LqO5oiR5Lus", ""},                             // 关于我们
};

} // namespace

void KKstimulateinterfereViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    std::weak_ptr<KKstimulateinterfereViewController> weakSelf =
        std::static_pointer_cast<KKstimulateinterfereViewController>(sharedController());
    apiClient.getAdvertInfo("8", [weakSelf](std::optional<JSON> json, std::optional<NSError>) {
        if (auto self = weakSelf.lock()) {
            self->bannerData(json);
        }
    });
}

void KKstimulateinterfereViewController::viewWillAppear(bool animated) {
    BaseViewController::viewWillAppear(animated);
    headerRefresh();
}

void KKstimulateinterfereViewController::setupUI() {
    const auto& root = view();
    const bool showAD = userDefaults().boolForKey("showAD");
    std::weak_ptr<KKstimulateinterfereViewController> weakSelf =
        std::static_pointer_cast<KKstimulateinterfereViewController>(sharedController());

    backgroundView_ = std::make_shared<UIImageView>(UIImage::imageNamed("my_background"));
    backgroundView_->setContentMode(UIViewContentMode::scaleToFill);

    kkinnumerablesummary_ = std::make_shared<UIImageView>(UIImage::imageNamed("default_logo"));
    kkinnumerablesummary_->setAccessibilityIdentifier("my.avatar");
    cornerRadius(*kkinnumerablesummary_, 21);
    kkinnumerablesummary_->layer()->setBorderWidth(1.0);
    kkinnumerablesummary_->layer()->setBorderColor(UIColor::whiteColor());
    addTapAction(*kkinnumerablesummary_, [weakSelf](UITapGestureRecognizer&) {
        if (auto self = weakSelf.lock()) {
            self->headerTap();
        }
    });
    kkinnumerablesummary_->setHidden(!showAD);

    kksummaryobey_ = std::make_shared<QMUILabel>();
    kksummaryobey_->setAccessibilityIdentifier("my.nickname");
    kksummaryobey_->setTextColor(UIColor::whiteColor());
    kksummaryobey_->setFont(UIFont::systemFontOfSize(16, UIFontWeightMedium));

    kkhostageaffiliate_ = std::make_shared<QMUIButton>();
    kkhostageaffiliate_->setAccessibilityIdentifier("my.settings");
    kkhostageaffiliate_->setImage(UIImage::imageNamed("my_setting"), UIControlStateNormal);
    kkhostageaffiliate_->addTarget(
        [weakSelf](UIControl&) {
            if (auto self = weakSelf.lock()) {
                self->kkaffiliatemineral();
            }
        },
        UIControlEventTouchUpInside);

    kkloungecandy_ = std::make_shared<UIStackView>();
    kkloungecandy_->setAxis(UILayoutConstraintAxis::vertical);
    kkloungecandy_->setSpacing(10);
    kkloungecandy_->setDistribution(UIStackViewDistribution::fill);

    kkaccountanttense_ = std::make_shared<UIStackView>();
    kkaccountanttense_->setAxis(UILayoutConstraintAxis::horizontal);
    kkaccountanttense_->setAlignment(UIStackViewAlignment::center);
    kkaccountanttense_->setDistribution(UIStackViewDistribution::fillEqually);
    kkaccountanttense_->setBackgroundColor(hexColor("1C1B20"));
    cornerRadius(*kkaccountanttense_, 6);

    kkdomaingrape_ = std::make_shared<JXBanner>();
    kkdomaingrape_->setAccessibilityIdentifier("my.banner");
    kkdomaingrape_->setBackgroundColor(hexColor("28272C"));
    if (auto placeholder = placeholderImage()) {
        kkdomaingrape_->placeholderImgView()->setImage(placeholder);
        kkdomaingrape_->placeholderImgView()->setContentMode(UIViewContentMode::scaleAspectFill);
    }
    auto self = std::static_pointer_cast<KKstimulateinterfereViewController>(sharedController());
    kkdomaingrape_->setDataSource(self);
    kkdomaingrape_->setDelegate(self);
    kkdomaingrape_->setHidden(true);
    cornerRadius(*kkdomaingrape_, 5);

    tableView_ = std::make_shared<UITableView>(CGRectZero, UITableViewStyle::plain);
    tableView_->setAccessibilityIdentifier("my.menu");
    cornerRadius(*tableView_, 6);
    tableView_->setDelegate(self);
    tableView_->setDataSource(self);
    tableView_->setEstimatedRowHeight(0);
    tableView_->setEstimatedSectionHeaderHeight(0);
    tableView_->setEstimatedSectionFooterHeight(0);
    tableView_->setSeparatorStyle(UITableViewCellSeparatorStyle::none);
    tableView_->setScrollEnabled(false);
    tableView_->setBackgroundColor(hexColor("1C1B20"));
    tableView_->setKeyboardDismissMode(UIScrollViewKeyboardDismissMode::onDrag);
    tableView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);

    root->addSubview(backgroundView_);
    root->addSubview(kkinnumerablesummary_);
    root->addSubview(kksummaryobey_);
    root->addSubview(kkhostageaffiliate_);
    root->addSubview(kkloungecandy_);
    root->addSubview(tableView_);
    makeEntries();
    kktissuelounge_->setHidden(!showAD);
    kkloungecandy_->addArrangedSubview(kkaccountanttense_);
    kkloungecandy_->addArrangedSubview(kkdomaingrape_);
    makeConstraints();
}

std::shared_ptr<QMUIButton>
KKstimulateinterfereViewController::makeEntry(const std::string& title, const std::string& image,
                                              std::function<void(KKstimulateinterfereViewController&)> tap) {
    auto button = std::make_shared<QMUIButton>();
    button->setImagePosition(QMUIButtonImagePosition::top);
    button->setSpacingBetweenImageAndTitle(4);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(14, UIFontWeightMedium));
    button->setImage(UIImage::imageNamed(image), UIControlStateNormal);
    std::weak_ptr<KKstimulateinterfereViewController> weakSelf =
        std::static_pointer_cast<KKstimulateinterfereViewController>(sharedController());
    button->setQmui_tapBlock([weakSelf, tap = std::move(tap)](UIControl&) {
        if (auto self = weakSelf.lock()) {
            tap(*self);
        }
    });
    kkaccountanttense_->addArrangedSubview(button);
    return button;
}

void KKstimulateinterfereViewController::makeEntries() {
    kkdisturbtissue_ = makeEntry(decodedText("5Y6G5Y+y6K6w5b2V"), "my_history", [](auto& page) {
        page.show(std::make_shared<KKinterfereboycottViewController>());
    });
    kkpettyverdict_ =
        makeEntry(decodedText("5oiR55qE5pS26JeP"), "my_collect", [](auto& page) { page.favouritesTap(); });
    kktissuelounge_ = makeEntry(decodedText("5LiL6L29"), "my_download", [](auto& page) {
        page.show(std::make_shared<KKcommonplaceremedyViewController>());
    });
    kkmineralallow_ = makeEntry("消息公告", "my_bulletin", [](auto& page) {
        page.show(std::make_shared<KKboycotthemisphereViewController>());
    });
}

void KKstimulateinterfereViewController::makeConstraints() {
    const auto root = view();
    backgroundView_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(134);
    });
    kkinnumerablesummary_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.width.height().equalTo(42);
        make.left.equalToSuperview().inset(20);
        make.bottom.equalTo(backgroundView_->snp.bottom).offset(-35);
    });
    kksummaryobey_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.left.equalTo(kkinnumerablesummary_->snp.right).offset(10);
        make.centerY.equalTo(kkinnumerablesummary_->snp.centerY);
    });
    kkhostageaffiliate_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(15);
        make.centerY.equalTo(kkinnumerablesummary_->snp.centerY);
        make.width.height().equalTo(28);
    });
    kkloungecandy_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(backgroundView_->snp.bottom).offset(10);
        make.left.right().equalToSuperview().inset(15);
    });
    kkaccountanttense_->snp.makeConstraints([&](ConstraintMaker& make) { make.height.equalTo(86); });
    kkdomaingrape_->snp.makeConstraints(
        [&](ConstraintMaker& make) { make.height.equalTo(screenWidth() * 0.5); });
    tableView_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkloungecandy_->snp.bottom).offset(10);
        make.left.right().equalToSuperview().inset(15);
        make.height.equalTo(174);
    });
}

void KKstimulateinterfereViewController::headerRefresh() {
    const auto user = KKrearinfluence::storedUser();
    if (!user) {
        return;
    }
    const auto placeholder = UIImage::imageNamed("default_logo");
    if (KKpresentationdisease::checkUserGroup()) {
        sd_cancelCurrentImageLoad(kkinnumerablesummary_);
        kkinnumerablesummary_->setImage(placeholder);
        kksummaryobey_->setText("");
        return;
    }
    sd_setImageWithURL(kkinnumerablesummary_, user->portrait.value_or(""), placeholder);
    kksummaryobey_->setText(user->nickName.value_or(""));
}

void KKstimulateinterfereViewController::headerTap() {
    if (!KKrearinfluence::storedUser()) {
        return;
    }
    if (KKpresentationdisease::checkUserGroup()) {
        presentLoginContainer(*this);
        return;
    }
    show(std::make_shared<KKinterimspatialViewController>());
}

void KKstimulateinterfereViewController::favouritesTap() {
    // Favourites live with an account: a tourist, and someone who has no stored user at
    // all, is asked to sign in first.
    if (!KKrearinfluence::storedUser() || KKpresentationdisease::checkUserGroup()) {
        presentLoginContainer(*KKpresentationdisease::getCurrentVC());
        return;
    }
    show(std::make_shared<KKhemispherecommonplaceViewController>());
}

void KKstimulateinterfereViewController::kkaffiliatemineral() {
    show(std::make_shared<KKinflictgraceViewController>());
}

void KKstimulateinterfereViewController::show(std::shared_ptr<UIViewController> page) {
    showViewController(std::move(page), nullptr);
}

void KKstimulateinterfereViewController::bannerData(const std::optional<JSON>& json) {
    if (!json) {
        return;
    }
    banner_ = json->arrayValue();
    kkdomaingrape_->setHidden(banner_->empty());
    kkdomaingrape_->reloadView();
    if (userDefaults().boolForKey("clearAD")) {
        kkdomaingrape_->setHidden(true);
    }
}

void KKstimulateinterfereViewController::openContact() {
    const std::string address = decodedText(contactAddressBase64);
    if (!address.empty()) {
        UIApplication::sharedApplication()->openURL(address, {}, nullptr);
    }
}

long KKstimulateinterfereViewController::numberOfRowsInSection(UITableView&, long) {
    return std::size(kMenuRows);
}

std::shared_ptr<UITableViewCell>
KKstimulateinterfereViewController::cellForRowAt(UITableView& tableView, const NSIndexPath& indexPath) {
    auto cell = tableView.dequeueReusableCellWithIdentifier("cell");
    if (!cell) {
        cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::value1, "cell");
        cell->setBackgroundColor(UIColor::clearColor());
        cell->setSelectionStyle(UITableViewCellSelectionStyle::none);
        cell->textLabel()->setFont(UIFont::systemFontOfSize(14, UIFontWeightMedium));
        cell->textLabel()->setTextColor(UIColor::whiteColor());
        cell->detailTextLabel()->setFont(UIFont::systemFontOfSize(12));
        cell->detailTextLabel()->setTextColor(hexColor("BEBDC2"));
        cell->setAccessoryType(UITableViewCellAccessoryType::disclosureIndicator);
    }
    const MenuRow& row = kMenuRows[static_cast<std::size_t>(indexPath.row()) % std::size(kMenuRows)];
    cell->imageView()->setImage(UIImage::imageNamed(row.image));
    cell->textLabel()->setText(decodedText(row.title));
    cell->detailTextLabel()->setText(decodedText(row.detail));
    return cell;
}

std::optional<CGFloat> KKstimulateinterfereViewController::heightForRowAt(UITableView&, const NSIndexPath&) {
    return kMenuRowHeight;
}

void KKstimulateinterfereViewController::didSelectRowAt(UITableView& tableView,
                                                        const NSIndexPath& indexPath) {
    tableView.deselectRowAtIndexPath(indexPath, true);
    switch (indexPath.row()) {
    case 0:
        show(std::make_shared<KKgracestimulateViewController>());
        break;
    case 1:
        openContact();
        break;
    case 2:
        show(std::make_shared<KKspatialceremonyViewController>());
        break;
    default:
        break;
    }
}

JXBannerCellRegister KKstimulateinterfereViewController::registerCell(JXBanner&) {
    return JXBannerCellRegister::of<JXBannerCell>("JXBannerCell");
}

long KKstimulateinterfereViewController::numberOfItems(JXBanner&) {
    return banner_ ? static_cast<long>(banner_->size()) : 0;
}

std::shared_ptr<UICollectionViewCell>
KKstimulateinterfereViewController::cellForItemAt(JXBanner&, long index,
                                                  std::shared_ptr<UICollectionViewCell> cell) {
    auto bannerCell = std::dynamic_pointer_cast<JXBannerCell>(cell);
    if (!bannerCell) {
        return cell;
    }
    bannerCell->msgBgView()->setHidden(true);
    if (!banner_ || index < 0 || static_cast<std::size_t>(index) >= banner_->size()) {
        return cell;
    }
    bannerCell->imageView()->setContentMode(UIViewContentMode::scaleAspectFill);
    const std::string content = (*banner_)[static_cast<std::size_t>(index)]["content"].stringValue();
    if (!content.empty()) {
        sd_setImageWithURL(bannerCell->imageView(), content, placeholderImage());
    }
    return cell;
}

JXBannerParams KKstimulateinterfereViewController::params(JXBanner&, JXBannerParams params) {
    params.isAutoPlay = true;
    params.timeInterval = 5.0;
    params.cycleWay = JXBannerCycleWay::forward;
    params.isShowPageControl = true;
    return params;
}

void KKstimulateinterfereViewController::didSelectItemAt(JXBanner&, long index) {
    if (!banner_ || index < 0 || static_cast<std::size_t>(index) >= banner_->size()) {
        return;
    }
    openAdItem(AdItem((*banner_)[static_cast<std::size_t>(index)]), *this);
}
