#include "MainController/Home/View/KKaggravateconcession.h"

#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIFont.h"

std::shared_ptr<KKaggravateconcession> KKaggravateconcession::make() {
    auto card = std::make_shared<KKaggravateconcession>();
    card->setupUI();
    return card;
}

KKaggravateconcession::KKaggravateconcession(const CGRect& frame)
    : UIView(frame), kktenseadjacent_(std::make_shared<UIImageView>(UIImage::imageNamed("home_history"))),
      titleLabel_(std::make_shared<QMUILabel>()), kkadjacenttechnician_(std::make_shared<QMUIButton>()) {
    titleLabel_->setTextColor(UIColor::whiteColor());
    titleLabel_->setFont(UIFont::systemFontOfSize(14, UIFontWeightMedium));
    kkadjacenttechnician_->setImage(UIImage::imageNamed("close"), UIControlStateNormal);
    kkadjacenttechnician_->setAccessibilityIdentifier("continue.close");
    layer()->setCornerRadius(10);
    setClipsToBounds(true);
    setBackgroundColor(UIColor::colorWithWhite(0, 0.8));
}

void KKaggravateconcession::setupUI() {
    addSubview(kktenseadjacent_);
    addSubview(titleLabel_);
    addSubview(kkadjacenttechnician_);
    kktenseadjacent_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.equalToSuperview().inset(8);
        make.centerY.equalToSuperview();
        make.size.equalTo(CGSize{30, 30});
    });
    titleLabel_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.right().equalToSuperview().inset(50);
        make.centerY.equalToSuperview();
    });
    kkadjacenttechnician_->snp.makeConstraints([](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(8);
        make.centerY.equalToSuperview();
        make.size.equalTo(CGSize{30, 30});
    });
    std::weak_ptr<KKaggravateconcession> weak = std::static_pointer_cast<KKaggravateconcession>(sharedView());
    kkadjacenttechnician_->setQmui_tapBlock([weak](UIControl&) {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        if (self->clickClose) {
            self->clickClose();
        }
        self->dismiss();
    });
}

void KKaggravateconcession::dismiss() {
    if (dismissing_) {
        return;
    }
    dismissing_ = true;
    std::weak_ptr<KKaggravateconcession> weak = std::static_pointer_cast<KKaggravateconcession>(sharedView());
    UIView::animateWithDuration(
        0.3,
        [weak] {
            if (auto self = weak.lock()) {
                self->setAlpha(0);
            }
        },
        [weak](bool) {
            if (auto self = weak.lock()) {
                self->removeFromSuperview();
            }
        });
}
