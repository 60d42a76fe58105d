#pragma once

#include "platform/QuartzCore/CAShapeLayer.h"
#include "platform/UIKit/UIView.h"

#include <memory>

// The tab bar's background: one filled shape, the bar's rectangle less a pit under the
// selected tab, with a soft shadow along its top edge. The pit slides to a new tab and is
// shallower half-way. The shape layer's own path is never set: what shows at rest is the
// last value of the last pit animation, held by that finished animation.
class AHLimberTabbarBackgroundView : public UIView {
  public:
    explicit AHLimberTabbarBackgroundView(const CGRect& frame = CGRectZero);

    // A new background view filling `superview`, added as its last subview and held to its
    // four edges by constraints.
    static std::shared_ptr<AHLimberTabbarBackgroundView> makePinned(UIView& superview);

    // The fill given to the shape at construction (white).
    const UIColor& defaultBackgroundColor() const { return defaultBackgroundColor_; }
    void setDefaultBackgroundColor(const UIColor& color) { defaultBackgroundColor_ = color; }
    const std::shared_ptr<CAShapeLayer>& borderLayer() const { return borderLayer_; }
    // The pit's nominal depth and the unit of its width (40 until the bar sets it).
    CGFloat pitDepth() const { return pitDepth_; }
    void setPitDepth(CGFloat depth) { pitDepth_ = depth; }

    // The outline with the pit centred on `centreX`, its depth scaled by `depthScale`, for
    // the view's bounds now.
    CGPath pitPath(CGFloat centreX, CGFloat depthScale) const;
    // Slides the pit from centre `fromX` to centre `toX` in half a second, shallower half-way;
    // replaces a pit animation still running.
    void animatePit(CGFloat fromX, CGFloat toX);
    void setFillColor(const UIColor& color);

  private:
    void setupLayer();

    UIColor defaultBackgroundColor_ = UIColor::whiteColor();
    std::shared_ptr<CAShapeLayer> borderLayer_ = CAShapeLayer::layer();
    CGFloat pitDepth_ = 40;
};
