#include "MainController/Video/Cell/KKcontaminatesuggestion.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SnapKit/ConstraintMaker.h"

std::shared_ptr<KKcontaminatesuggestion> KKcontaminatesuggestion::create() {
    auto cell = std::make_shared<KKcontaminatesuggestion>();
    cell->setupUI();
    return cell;
}

void KKcontaminatesuggestion::setupUI() {
    layer()->setCornerRadius(6);
    setClipsToBounds(true);
    setBackgroundColor(hexColor("#050505"));

    kkdrainexempt_ = std::make_shared<UIImageView>(placeholderImage());
    kkdrainexempt_->setClipsToBounds(true);
    kkdrainexempt_->setContentMode(UIViewContentMode::scaleAspectFill);
    addSubview(kkdrainexempt_);
    kkdrainexempt_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.bottom.equalToSuperview().offset(-55);
    });

    name_ = std::make_shared<QMUILabel>();
    name_->setText("名字");
    name_->setNumberOfLines(2);
    name_->setTextColor(UIColor::whiteColor());
    name_->setTextAlignment(NSTextAlignment::center);
    name_->setFont(UIFont::systemFontOfSize(14, UIFontWeightSemibold));
    addSubview(name_);
    name_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkdrainexempt_->snp.bottom).offset(8);
        make.left.equalToSuperview().offset(10);
        make.right.equalToSuperview().offset(-10);
    });
}

void KKcontaminatesuggestion::configure(const KKcontrastpierce& item) {
    const std::string cover = item.cover.value_or("");
    if (isWebAddress(cover)) {
        sd_setImageWithURL(kkdrainexempt_, cover, placeholderImage());
    } else {
        // No picture to ask for: the placeholder, never the cover of the tile's last item.
        sd_cancelCurrentImageLoad(kkdrainexempt_);
        kkdrainexempt_->setImage(placeholderImage());
    }
    name_->setText(item.desc.value_or(""));
}
