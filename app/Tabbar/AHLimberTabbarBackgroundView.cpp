#include "app/Tabbar/AHLimberTabbarBackgroundView.h"

#include "app/Tabbar/PitPath.h"
#include "platform/QuartzCore/CAAnimation.h"

AHLimberTabbarBackgroundView::AHLimberTabbarBackgroundView(const CGRect& frame) : UIView(frame) {
    setupLayer();
}

std::shared_ptr<AHLimberTabbarBackgroundView> AHLimberTabbarBackgroundView::makePinned(UIView& superview) {
    auto view = std::make_shared<AHLimberTabbarBackgroundView>(superview.bounds());
    superview.addSubview(view);
    view->setTranslatesAutoresizingMaskIntoConstraints(false);
    NSLayoutConstraint::activateConstraints({
        view->topAnchor().constraintEqualToAnchor(superview.topAnchor()),
        view->leadingAnchor().constraintEqualToAnchor(superview.leadingAnchor()),
        view->trailingAnchor().constraintEqualToAnchor(superview.trailingAnchor()),
        view->bottomAnchor().constraintEqualToAnchor(superview.bottomAnchor()),
    });
    return view;
}

void AHLimberTabbarBackgroundView::setupLayer() {
    borderLayer_->setBounds(bounds());
    borderLayer_->setFillColor(defaultBackgroundColor_);
    borderLayer_->setPosition({0, 0});
    borderLayer_->setAnchorPoint({0, 0});
    borderLayer_->setLineJoin(kCALineJoinRound);
    borderLayer_->setShadowColor(UIColor::blackColor());
    borderLayer_->setShadowOffset({0, -2});
    borderLayer_->setShadowRadius(1);
    borderLayer_->setShadowOpacity(0.3f);
    layer()->addSublayer(borderLayer_);
}

CGPath AHLimberTabbarBackgroundView::pitPath(CGFloat centreX, CGFloat depthScale) const {
    return pitOutline(bounds().size, pitLeftForCentre(centreX, pitDepth_), pitDepth_, depthScale);
}

void AHLimberTabbarBackgroundView::animatePit(CGFloat fromX, CGFloat toX) {
    const CGFloat middleScale = pitMiddleDepthScale(fromX, toX, bounds().size.width);
    auto animation = CAKeyframeAnimation::animationWithKeyPath("path");
    animation->values = {std::optional<CGPath>(pitPath(fromX, 1.0)),
                         std::optional<CGPath>(pitPath(fromX + (toX - fromX) * 0.5, middleScale)),
                         std::optional<CGPath>(pitPath(toX, 1.0))};
    animation->keyTimes = {0, 0.5, 1};
    animation->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    animation->duration = 0.5;
    animation->removedOnCompletion = false;
    animation->fillMode = kCAFillModeBoth;
    borderLayer_->addAnimation(animation, "path");
}

void AHLimberTabbarBackgroundView::setFillColor(const UIColor& color) {
    borderLayer_->setFillColor(color);
}
