#include "app/Tabbar/AHPitView.h"

#include "app/Tabbar/PitPath.h"

AHPitView::AHPitView(const CGRect& frame) : UIView(frame) {
    setupLayers();
}

void AHPitView::setPitPositionScale(CGFloat scale) {
    pitPositionScale_ = scale;
    redraw();
}

void AHPitView::setPitDepthScale(CGFloat scale) {
    pitDepthScale_ = scale;
    redraw();
}

void AHPitView::setShowRects(bool show) {
    showRects_ = show;
    redraw();
}

void AHPitView::prepareForInterfaceBuilder() {
    setPitPositionScale(0.5);
    setPitDepthScale(1.0);
}

void AHPitView::setupLayers() {
    borderLayer_->setBounds(bounds());
    borderLayer_->setFillColor(UIColor::redColor());
    borderLayer_->setStrokeColor(UIColor::redColor());
    borderLayer_->setPosition({0, 0});
    borderLayer_->setAnchorPoint({0, 0});
    borderLayer_->setLineJoin(kCALineJoinRound);
    borderLayer_->setShadowColor(UIColor::blackColor());
    borderLayer_->setShadowOffset({0, -2});
    borderLayer_->setShadowRadius(1);
    borderLayer_->setShadowOpacity(0.3f);

    guideRectsLayer_->setFillColor(std::nullopt);
    guideRectsLayer_->setStrokeColor(UIColor::cyanColor());
    guideRectsLayer_->setPosition({0, 0});
    guideRectsLayer_->setBounds(bounds());
    guideRectsLayer_->setAnchorPoint({0, 0});

    layer()->addSublayer(borderLayer_);
    layer()->addSublayer(guideRectsLayer_);
    redraw();
    setBackgroundColor(std::nullopt);
}

void AHPitView::redraw() {
    const CGSize size = bounds().size;
    const CGFloat left = (size.width - 2.25 * pitDepth_) * pitPositionScale_;
    std::array<CGRect, 3> guides{};
    borderLayer_->setPath(pitOutline(size, left, pitDepth_, pitDepthScale_, &guides));
    if (showRects_) {
        CGPath rects;
        for (const CGRect& rect : guides) {
            rects.addRect(rect);
        }
        guideRectsLayer_->setPath(rects);
    } else {
        guideRectsLayer_->setPath(std::nullopt);
    }
}
