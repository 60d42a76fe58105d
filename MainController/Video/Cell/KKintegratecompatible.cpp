#include "MainController/Video/Cell/KKintegratecompatible.h"

#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/SnapKit/ConstraintViewDSL.h"
#include "platform/UIKit/UIImage.h"

KKintegratecompatible::KKintegratecompatible(const CGRect& frame)
    : BaseCollectionViewCell(frame), name_(std::make_shared<QMUILabel>()),
      selectIcon_(std::make_shared<UIImageView>(UIImage::imageNamed("source_select"))),
      kkhighlyscrutiny_(std::make_shared<UIView>()) {
    setupUI();
}

void KKintegratecompatible::setupUI() {
    cornerRadius(*this, 3);
    setBackgroundColor(hexColor("D73F3F"));

    name_->setText("1");
    name_->setNumberOfLines(2);
    name_->setTextColor(UIColor::whiteColor());
    name_->setTextAlignment(NSTextAlignment::center);
    name_->setFont(UIFont::systemFontOfSize(14, UIFontWeightMedium));
    selectIcon_->setHidden(true);
    kkhighlyscrutiny_->setBackgroundColor(hexColor("#2A82E4", 0.3));

    const auto& content = contentView();
    content->addSubview(name_);
    content->addSubview(selectIcon_);
    content->addSubview(kkhighlyscrutiny_);
    name_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    selectIcon_->snp.makeConstraints([](ConstraintMaker& make) { make.top.left().equalToSuperview(); });
    kkhighlyscrutiny_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().bottom().equalToSuperview();
        make.width.equalTo(0);
    });
}

void KKintegratecompatible::setProgressWidth(CGFloat width) {
    kkhighlyscrutiny_->snp.updateConstraints([width](ConstraintMaker& make) { make.width.equalTo(width); });
}
