#include "MainController/Video/View/KKcounciloblige.h"

#include "MainController/Home/Helpers/AdItem.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/KKriplog.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIImage.h"

std::shared_ptr<KKcounciloblige> KKcounciloblige::make() {
    auto header = std::make_shared<KKcounciloblige>();
    header->setupUI();
    std::weak_ptr<KKcounciloblige> weakHeader = header;
    apiClient.getAdvertInfo("7", [weakHeader](std::optional<JSON> json, std::optional<NSError>) {
        if (auto header = weakHeader.lock()) {
            header->applyAdverts(json);
        }
    });
    return header;
}

std::shared_ptr<QMUIButton> KKcounciloblige::actionButton(const std::string& image,
                                                          std::function<void()> KKcounciloblige::*action) {
    auto button = std::make_shared<QMUIButton>();
    button->setImage(UIImage::imageNamed(image), UIControlStateNormal);
    std::weak_ptr<KKcounciloblige> weakHeader = std::static_pointer_cast<KKcounciloblige>(sharedView());
    button->setQmui_tapBlock([weakHeader, action](UIControl&) {
        auto header = weakHeader.lock();
        if (header && (*header).*action) {
            ((*header).*action)();
        }
    });
    return button;
}

void KKcounciloblige::setupUI() {
    auto self = std::static_pointer_cast<KKcounciloblige>(sharedView());

    kkdomaingrape_ = std::make_shared<JXBanner>();
    kkdomaingrape_->setBackgroundColor(hexColor("28272C"));
    if (auto placeholder = placeholderImage()) {
        kkdomaingrape_->placeholderImgView()->setImage(placeholder);
        kkdomaingrape_->placeholderImgView()->setContentMode(UIViewContentMode::scaleAspectFill);
    }
    kkdomaingrape_->setDataSource(std::static_pointer_cast<JXBannerDataSource>(self));
    kkdomaingrape_->setDelegate(std::static_pointer_cast<JXBannerDelegate>(self));
    kkdomaingrape_->setHidden(true);
    kkdomaingrape_->layer()->setCornerRadius(5.0);
    kkdomaingrape_->setClipsToBounds(true);

    title_ = std::make_shared<QMUILabel>();
    title_->setNumberOfLines(0);
    title_->setTextColor(hexColor("28272C"));
    title_->setFont(UIFont::systemFontOfSize(20, UIFontWeightMedium));

    classType_ = std::make_shared<QMUILabel>();
    classType_->setNumberOfLines(0);
    classType_->setTextColor(hexColor("#666666"));
    classType_->setFont(UIFont::systemFontOfSize(14));

    kkloungecandy_ = std::make_shared<UIStackView>();
    kkloungecandy_->setAxis(UILayoutConstraintAxis::horizontal);
    kkloungecandy_->setDistribution(UIStackViewDistribution::equalSpacing);
    kkloungecandy_->setSpacing(15);

    kkimpetusorientation_ = actionButton("detail_feedback", &KKcounciloblige::clickFeedback);
    kkimpetusorientation_->setAccessibilityIdentifier("detail.feedback");
    kkpersonnelimpetus_ = actionButton("detail_switch", &KKcounciloblige::clickSwitch);
    kkpersonnelimpetus_->setAccessibilityIdentifier("detail.switch");
    kkbalancepersonnel_ = actionButton("detail_down", &KKcounciloblige::clickDown);
    kkbalancepersonnel_->setAccessibilityIdentifier("detail.download");

    kkpettyverdict_ = std::make_shared<QMUIButton>();
    kkpettyverdict_->setAccessibilityIdentifier("detail.collect");
    kkpettyverdict_->setImage(UIImage::imageNamed("collect"), UIControlStateNormal);
    kkpettyverdict_->setImage(UIImage::imageNamed("collect_select"), UIControlStateSelected);
    std::weak_ptr<KKcounciloblige> weakHeader = self;
    kkpettyverdict_->setQmui_tapBlock([weakHeader](UIControl&) {
        auto header = weakHeader.lock();
        if (header && header->clickCollect) {
            header->clickCollect(header->kkpettyverdict_->isSelected());
        }
    });

    kkdecoratevirtue_ = std::make_shared<UIView>();
    kkdecoratevirtue_->setBackgroundColor(hexColor("EDEDED"));

    addSubview(kkdomaingrape_);
    addSubview(title_);
    addSubview(classType_);
    addSubview(kkloungecandy_);
    addSubview(kkdecoratevirtue_);
    for (const auto& button :
         {kkimpetusorientation_, kkpersonnelimpetus_, kkbalancepersonnel_, kkpettyverdict_}) {
        kkloungecandy_->addArrangedSubview(button);
        button->snp.makeConstraints([](ConstraintMaker& make) { make.width.height().equalTo(28); });
    }

    kkdomaingrape_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview().inset(15);
        make.height.equalTo(screenWidth() * 0.5);
    });
    title_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdomaingrape_->snp.bottom).offset(15).priority(800);
        make.top.equalToSuperview().offset(15).priority(700);
        make.right.equalToSuperview().inset(180);
        make.left.equalToSuperview().inset(15);
    });
    classType_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(title_->snp.bottom).offset(4);
        make.left.equalTo(title_->snp.left);
        make.width.equalTo(title_->snp.width);
    });
    kkloungecandy_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(15);
        make.top.equalTo(title_->snp.top);
    });
    kkdecoratevirtue_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(classType_->snp.bottom).offset(15);
        make.left.right().equalToSuperview().inset(15);
        make.height.equalTo(0.5);
    });
}

void KKcounciloblige::moveTitleToTop() {
    title_->snp.remakeConstraints([](ConstraintMaker& make) {
        make.top.left().equalToSuperview().inset(15);
        make.right.equalToSuperview().inset(180);
    });
}

void KKcounciloblige::applyAdverts(const std::optional<JSON>& answer) {
    if (!answer) {
        moveTitleToTop();
    } else {
        banner_ = answer->arrayValue();
        kkdomaingrape_->setHidden(banner_->empty());
        kkdomaingrape_->reloadView();
        if (banner_->empty() || userDefaults().boolForKey("clearAD")) {
            kkdomaingrape_->setHidden(true);
            moveTitleToTop();
        }
    }
    if (loadBanner) {
        loadBanner();
    }
}

JXBannerCellRegister KKcounciloblige::registerCell(JXBanner&) {
    return JXBannerCellRegister::of<JXBannerCell>("JXBannerCell");
}

long KKcounciloblige::numberOfItems(JXBanner&) {
    return banner_ ? static_cast<long>(banner_->size()) : 0;
}

std::shared_ptr<UICollectionViewCell>
KKcounciloblige::cellForItemAt(JXBanner&, long index, std::shared_ptr<UICollectionViewCell> cell) {
    auto bannerCell = std::dynamic_pointer_cast<JXBannerCell>(cell);
    if (!bannerCell) {
        return cell;
    }
    bannerCell->msgLabel()->setHidden(true);
    bannerCell->msgBgView()->setHidden(true);
    if (banner_ && index >= 0 && static_cast<std::size_t>(index) < banner_->size()) {
        bannerCell->imageView()->setContentMode(UIViewContentMode::scaleAspectFill);
        const std::string content = (*banner_)[static_cast<std::size_t>(index)]["content"].stringValue();
        sd_setImageWithURL(bannerCell->imageView(), content, placeholderImage());
    }
    return bannerCell;
}

JXBannerParams KKcounciloblige::params(JXBanner&, JXBannerParams params) {
    params.isAutoPlay = true;
    params.timeInterval = 5.0;
    params.cycleWay = JXBannerCycleWay::forward;
    params.isShowPageControl = true;
    return params;
}

JXBannerLayoutParams KKcounciloblige::layoutParams(JXBanner&, JXBannerLayoutParams layoutParams) {
    if (banner_) {
        layoutParams.itemSize = CGSize{screenWidth(), screenWidth() * 0.5};
    }
    return layoutParams;
}

void KKcounciloblige::didSelectItemAt(JXBanner&, long index) {
    if (!banner_ || index < 0 || static_cast<std::size_t>(index) >= banner_->size()) {
        return;
    }
    openAdItem(AdItem((*banner_)[static_cast<std::size_t>(index)]), *KKpresentationdisease::getCurrentVC());
}
