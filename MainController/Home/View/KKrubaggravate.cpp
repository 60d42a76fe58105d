#include "MainController/Home/View/KKrubaggravate.h"

#include "app/Constants/ModuleConstants.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIFont.h"

namespace {

std::shared_ptr<QMUILabel> whiteLabel(const std::string& text, double fontSize) {
    auto label = std::make_shared<QMUILabel>();
    label->setText(text);
    label->setTextColor(UIColor::whiteColor());
    label->setFont(UIFont::systemFontOfSize(fontSize, UIFontWeightMedium));
    return label;
}

} // namespace

std::shared_ptr<KKrubaggravate> KKrubaggravate::make() {
    auto row = std::make_shared<KKrubaggravate>();
    row->setupUI();
    return row;
}

KKrubaggravate::KKrubaggravate(const CGRect& frame)
    : UIView(frame), kkdrainexempt_(std::make_shared<UIImageView>(placeholderImage())),
      title_(whiteLabel("name", 12)), kkloungecandy_(std::make_shared<UIStackView>()),
      score_(whiteLabel("9.9", 11)) {
    kkdrainexempt_->setContentMode(UIViewContentMode::scaleToFill);
    kkdrainexempt_->layer()->setCornerRadius(3);
    kkdrainexempt_->setClipsToBounds(true);
    kkloungecandy_->setAxis(UILayoutConstraintAxis::horizontal);
    kkloungecandy_->setSpacing(4);
    kkloungecandy_->setDistribution(UIStackViewDistribution::equalSpacing);
    for (int i = 0; i < 5; ++i) {
        stars_.push_back(std::make_shared<UIImageView>(UIImage::imageNamed("start")));
    }
}

void KKrubaggravate::setupUI() {
    addSubview(title_);
    addSubview(score_);
    addSubview(kkdrainexempt_);
    addSubview(kkloungecandy_);
    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.top().equalToSuperview();
        make.size.equalTo(CGSize{48, 58});
    });
    title_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalTo(kkdrainexempt_->snp.right).offset(8);
        make.top.equalTo(kkdrainexempt_->snp.top).offset(6);
        make.right.equalToSuperview().inset(8);
    });
    kkloungecandy_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalTo(kkdrainexempt_->snp.right).offset(8);
        make.top.equalTo(title_->snp.bottom).offset(6);
        make.height.equalTo(12);
    });
    score_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalTo(kkloungecandy_->snp.right).offset(4);
        make.centerY.equalTo(kkloungecandy_->snp.centerY);
    });
    for (const auto& star : stars_) {
        kkloungecandy_->addArrangedSubview(star);
    }
}
