#include "MainController/My/Cell/KKcombcripple.h"

#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIImage.h"

KKcombcripple::KKcombcripple(UITableViewCellStyle style, const std::string& reuseIdentifier)
    : BaseTableViewCell(style, reuseIdentifier), kkdrainexempt_(std::make_shared<UIImageView>()),
      name_(std::make_shared<QMUILabel>()), kkhighlyscrutiny_(std::make_shared<UIProgressView>()),
      kkunderneathhostage_(std::make_shared<QMUILabel>()) {
    setupUI();
}

void KKcombcripple::setupUI() {
    kkdrainexempt_->layer()->setCornerRadius(3);
    kkdrainexempt_->setClipsToBounds(true);
    kkdrainexempt_->setContentMode(UIViewContentMode::scaleAspectFill);
    name_->setTextColor(UIColor::whiteColor());
    name_->setFont(UIFont::systemFontOfSize(15, UIFontWeightMedium));
    kkhighlyscrutiny_->setProgressTintColor(hexColor("D73F3F"));
    kkhighlyscrutiny_->setTrackTintColor(hexColor("#3C3B41"));
    kkunderneathhostage_->setTextColor(hexColor("BEBDC2"));
    kkunderneathhostage_->setFont(UIFont::systemFontOfSize(14));
    prepareForReuse();

    const auto& content = contentView();
    content->addSubview(kkdrainexempt_);
    content->addSubview(name_);
    content->addSubview(kkhighlyscrutiny_);
    content->addSubview(kkunderneathhostage_);
    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.equalToSuperview().inset(15);
        make.centerY.equalToSuperview();
        make.width.equalTo(96);
        make.height.equalTo(54);
    });
    name_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdrainexempt_->snp.top).offset(5);
        make.left.equalToSuperview().inset(120);
        make.right.equalToSuperview().inset(15);
    });
    kkhighlyscrutiny_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(name_->snp.bottom).offset(8);
        make.left.equalTo(name_);
        make.width.equalTo(name_);
        make.height.equalTo(1);
    });
    kkunderneathhostage_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.bottom.equalTo(kkdrainexempt_->snp.bottom).offset(3);
        make.left.equalTo(name_);
        make.width.equalTo(name_);
    });
}

void KKcombcripple::prepareForReuse() {
    BaseTableViewCell::prepareForReuse();
    downloadURL.clear();
    kkdrainexempt_->setImage(UIImage::imageNamed("default_background"));
    name_->setText("名字");
    kkunderneathhostage_->setText("类型");
    kkhighlyscrutiny_->setHidden(true);
    kkhighlyscrutiny_->setProgress(0);
}
