#include "MainController/Video/Cell/KKsavingintegrate.h"

#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIImage.h"

KKsavingintegrate::KKsavingintegrate(const CGRect& frame)
    : BaseCollectionViewCell(frame),
      selectIcon_(std::make_shared<UIImageView>(UIImage::imageNamed("source_select"))),
      titleLabel_(std::make_shared<QMUILabel>()) {
    cornerRadius(*this, 6);
    setBackgroundColor(hexColor("#F5F6F8"));
    titleLabel_->setTextAlignment(NSTextAlignment::center);
    titleLabel_->setTextColor(hexColor("28272C"));
    titleLabel_->setFont(UIFont::systemFontOfSize(15));

    const auto& content = contentView();
    content->addSubview(selectIcon_);
    content->addSubview(titleLabel_);
    selectIcon_->snp.makeConstraints([](ConstraintMaker& make) { make.top.left().equalToSuperview(); });
    titleLabel_->snp.makeConstraints([](ConstraintMaker& make) {
        make.center.equalToSuperview();
        make.left.right().equalToSuperview();
    });
}
