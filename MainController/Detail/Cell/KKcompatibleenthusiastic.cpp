#include "MainController/Detail/Cell/KKcompatibleenthusiastic.h"

#include "MainController/Video/Model/EpisodeStartRules.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIImage.h"

KKcompatibleenthusiastic::KKcompatibleenthusiastic(UITableViewCellStyle style,
                                                   const std::string& reuseIdentifier)
    : BaseTableViewCell(style, reuseIdentifier), kkdrainexempt_(std::make_shared<UIImageView>()),
      name_(std::make_shared<QMUIMarqueeLabel>()), classType_(std::make_shared<QMUILabel>()),
      kkheadquarterscurrency_(std::make_shared<QMUIButton>()) {
    setupUI();
}

void KKcompatibleenthusiastic::setupUI() {
    kkdrainexempt_->setContentMode(UIViewContentMode::scaleAspectFill);
    kkdrainexempt_->setImage(UIImage::imageNamed("default_logo"));

    name_->setText("名字");
    name_->setFadeWidthPercent(0);
    name_->setTextColor(UIColor::whiteColor());
    name_->setFont(UIFont::systemFontOfSize(15, UIFontWeightMedium));

    classType_->setText("类型");
    classType_->setTextColor(hexColor("BEBDC2"));
    classType_->setFont(UIFont::systemFontOfSize(14));

    kkheadquarterscurrency_->setTintColor(UIColor::whiteColor());
    kkheadquarterscurrency_->setSpacingBetweenImageAndTitle(8);
    kkheadquarterscurrency_->setUserInteractionEnabled(false);
    kkheadquarterscurrency_->setTitle(EpisodeStartRules::decodedText("56uL5Y2z5pKt5pS+"),
                                      UIControlStateNormal);
    kkheadquarterscurrency_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    kkheadquarterscurrency_->titleLabel()->setFont(UIFont::systemFontOfSize(14));
    kkheadquarterscurrency_->setImage(UIImage::systemImageNamed("play.circle"), UIControlStateNormal);

    const auto& content = contentView();
    content->addSubview(name_);
    content->addSubview(kkheadquarterscurrency_);
    content->addSubview(classType_);
    content->addSubview(kkdrainexempt_);
    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(15);
        make.centerY.equalToSuperview();
        make.width.height().equalTo(34);
    });
    name_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.equalToSuperview().offset(8);
        make.left.equalToSuperview().offset(60);
        make.right.equalToSuperview().offset(-100);
    });
    classType_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(name_->snp.bottom).offset(4);
        make.left.equalTo(name_->snp.left);
        make.width.equalTo(name_->snp.width);
    });
    kkheadquarterscurrency_->snp.makeConstraints([](ConstraintMaker& make) {
        make.right.equalToSuperview().offset(-15);
        make.centerY.equalToSuperview();
    });
}
