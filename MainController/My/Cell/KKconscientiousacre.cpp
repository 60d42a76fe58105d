#include "MainController/My/Cell/KKconscientiousacre.h"

#include "MainController/My/Cell/ListCellButton.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"

const std::shared_ptr<QMUIButton>& KKconscientiousacre::delBtn() {
    if (!delBtn_) {
        delBtn_ = std::make_shared<QMUIButton>();
        delBtn_->setAccessibilityIdentifier("history.delete");
        delBtn_->setImage(UIImage::imageNamed("del"), UIControlStateNormal);
    }
    return delBtn_;
}

void KKconscientiousacre::setupUI() {
    KKappealsubsequent::setupUI();
    placeTrailingButton(*this, delBtn());
}
