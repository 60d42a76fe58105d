#include "app/Tabbar/AHLimberTabBarItemView.h"

std::shared_ptr<AHLimberTabBarItemView> AHLimberTabBarItemView::make(const CGRect& frame) {
    auto view = std::make_shared<AHLimberTabBarItemView>(frame);
    view->setupView();
    return view;
}

void AHLimberTabBarItemView::setupView() {
    if (imgIcon_) {
        imgIcon_->removeFromSuperview();
    }
    if (tap_) {
        removeGestureRecognizer(tap_);
    }
    imgIcon_ = std::make_shared<UIImageView>(CGRectZero);
    imgIcon_->setImage(tabBarItem_ ? tabBarItem_->image() : nullptr);
    imgIcon_->setContentMode(UIViewContentMode::scaleAspectFit);
    imgIcon_->setTintColor(iconTintColor_);
    addSubview(imgIcon_);
    imgIcon_->setTranslatesAutoresizingMaskIntoConstraints(false);
    NSLayoutConstraint::activateConstraints({
        imgIcon_->topAnchor().constraintEqualToAnchor(topAnchor()),
        imgIcon_->bottomAnchor().constraintEqualToAnchor(bottomAnchor()),
        imgIcon_->centerXAnchor().constraintEqualToAnchor(centerXAnchor()),
    });
    // The recognizer belongs to this view, so its action may refer to it directly.
    tap_ = std::make_shared<UITapGestureRecognizer>([this](UIGestureRecognizer&) { onTapped(); });
    addGestureRecognizer(tap_);
}

void AHLimberTabBarItemView::onTapped() {
    if (onSelected) {
        onSelected(*this);
    }
}
