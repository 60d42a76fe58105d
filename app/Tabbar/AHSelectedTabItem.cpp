#include "app/Tabbar/AHSelectedTabItem.h"

#include "app/Tabbar/AHLimberTabbarItem.h"
#include "app/Tabbar/BubbleGeometry.h"
#include "platform/Foundation/DispatchQueue.h"

std::shared_ptr<AHSelectedTabItem> AHSelectedTabItem::make(const CGRect& frame) {
    auto bubble = std::make_shared<AHSelectedTabItem>(frame);
    bubble->setupView();
    return bubble;
}

void AHSelectedTabItem::setupView() {
    layer()->setShadowColor(UIColor::blackColor());
    layer()->setCornerRadius(frame().size.width / 2);
    layer()->setShadowOpacity(0.3f);
    layer()->setShadowRadius(2.0);
    imgTabIcon_ = std::make_shared<UIImageView>(CGRectZero);
    imgTabIcon_->setTintColor(iconTintColor_);
    addSubview(imgTabIcon_);
    imgTabIcon_->setTranslatesAutoresizingMaskIntoConstraints(false);
    NSLayoutConstraint::activateConstraints({
        imgTabIcon_->topAnchor().constraintEqualToAnchor(topAnchor(), 5),
        imgTabIcon_->leadingAnchor().constraintEqualToAnchor(leadingAnchor(), 5),
        imgTabIcon_->bottomAnchor().constraintEqualToAnchor(bottomAnchor(), -5),
        imgTabIcon_->trailingAnchor().constraintEqualToAnchor(trailingAnchor(), -5),
    });
}

void AHSelectedTabItem::updateIcon() {
    const auto& item = currentTab_ ? currentTab_->tabBarItem() : nullptr;
    imgTabIcon_->setImage(item ? item->image() : nullptr);
}

void AHSelectedTabItem::moveToCurrentTab() {
    std::weak_ptr<UIResponder> weakSelf = weak_from_this();
    DispatchQueue::main().asyncAfter(0.25, [weakSelf] {
        if (auto self = std::static_pointer_cast<AHSelectedTabItem>(weakSelf.lock())) {
            self->updateIcon();
        }
    });

    UIColor color = defaultBackgroundColor_;
    if (auto item =
            std::dynamic_pointer_cast<AHLimberTabbarItem>(currentTab_ ? currentTab_->tabBarItem() : nullptr);
        item && item->backgroundColor()) {
        color = *item->backgroundColor();
    }
    UIView::animateWithDuration(1.0 / 3, [this, color] { setBackgroundColor(color); });

    const CGFloat toX = currentTab_ ? currentTab_->center().x : center().x;
    const AHBubbleMove move = limberBubbleMove(center().x, toX, frame().size.height);
    UIView::animateKeyframesWithDuration(
        0.5, 0, 0,
        [this, move] {
            UIView::addKeyframeWithRelativeStartTime(0, 0.5, [this, move] { setCenter(move.dip); });
            UIView::addKeyframeWithRelativeStartTime(0.5, 0.5, [this, move] { setCenter(move.rest); });
        },
        nullptr);
}
