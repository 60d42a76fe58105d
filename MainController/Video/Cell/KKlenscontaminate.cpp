#include "MainController/Video/Cell/KKlenscontaminate.h"

#include "app/Constants/ModuleConstants.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIImage.h"

namespace {

// The soft shadow under every overlay text, so that it reads on bright pictures.
void addTextShadow(CALayer& layer) {
    layer.setShadowOffset({0, 1});
    layer.setShadowColor(UIColor{0, 0, 0, 0.2});
    layer.setShadowRadius(2);
    layer.setShadowOpacity(1);
}

std::shared_ptr<QMUILabel> overlayLabel(CGFloat size, UIFontWeight weight) {
    auto label = std::make_shared<QMUILabel>();
    label->setTextColor(UIColor::whiteColor());
    label->setFont(UIFont::systemFontOfSize(size, weight));
    addTextShadow(*label->layer());
    return label;
}

std::shared_ptr<QMUIButton> overlayButton(const std::string& title, const std::string& image) {
    auto button = std::make_shared<QMUIButton>();
    button->setImagePosition(QMUIButtonImagePosition::top);
    button->setSpacingBetweenImageAndTitle(5);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(12));
    button->setImage(UIImage::imageNamed(image), UIControlStateNormal);
    addTextShadow(*button->titleLabel()->layer());
    button->setHidden(!userDefaults().boolForKey("showAD"));
    return button;
}

} // namespace

std::shared_ptr<KKlenscontaminate> KKlenscontaminate::create(const CGRect& frame) {
    auto cell = std::make_shared<KKlenscontaminate>(frame);
    cell->setupViews();
    cell->setupUI();
    return cell;
}

void KKlenscontaminate::setupUI() {
    titleLabel_ = overlayLabel(20, UIFontWeightMedium);
    allButton_ = overlayButton("查看全集", "sv_all");
    shareButton_ = overlayButton("分享", "sv_share");
    nameLabel_ = overlayLabel(14, UIFontWeightMedium);
    descLabel_ = overlayLabel(14, UIFontWeightRegular);
    descLabel_->setNumberOfLines(0);
    for (const auto& view : std::initializer_list<std::shared_ptr<UIView>>{
             titleLabel_, allButton_, shareButton_, nameLabel_, descLabel_}) {
        addSubview(view);
    }

    const auto safeArea = safeAreaLayoutGuide();
    titleLabel_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(safeArea->snp.top).offset(20);
        make.centerX.equalToSuperview();
    });
    shareButton_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.bottom.equalTo(safeArea->snp.bottom).offset(-100);
        make.right.equalToSuperview().offset(-20);
    });
    allButton_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.bottom.equalTo(shareButton_->snp.top).offset(-30);
        make.centerX.equalTo(shareButton_);
    });
    descLabel_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.bottom.equalTo(safeArea->snp.bottom).offset(-50);
        make.left.equalToSuperview().offset(20);
        make.right.equalToSuperview().offset(-100);
    });
    nameLabel_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.bottom.equalTo(descLabel_->snp.top).offset(-13);
        make.left.equalToSuperview().offset(20);
    });
}
