#include "MainController/My/Cell/KKcrippleconscientious.h"

#include "MainController/My/Cell/ListCellButton.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"

const std::shared_ptr<QMUIButton>& KKcrippleconscientious::kkpettyverdict() {
    if (!kkpettyverdict_) {
        kkpettyverdict_ = std::make_shared<QMUIButton>();
        kkpettyverdict_->setAccessibilityIdentifier("favourites.collect");
        kkpettyverdict_->setImage(UIImage::imageNamed("collect"), UIControlStateNormal);
        kkpettyverdict_->setImage(UIImage::imageNamed("collect_select"), UIControlStateSelected);
    }
    return kkpettyverdict_;
}

void KKcrippleconscientious::setupUI() {
    KKappealsubsequent::setupUI();
    placeTrailingButton(*this, kkpettyverdict());
}
