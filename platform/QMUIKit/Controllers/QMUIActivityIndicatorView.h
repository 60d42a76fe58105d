#pragma once

#include "platform/QuartzCore/CALayer.h"
#include "platform/UIKit/UIView.h"

// The spinning wheel of loading states: twelve spokes fading round, stepping a spoke at
// a time once a second. It spins while it is visible in a window.
class QMUIActivityIndicatorView : public UIView, public CALayerDelegate {
public:
    static constexpr CGFloat kSide = 37;

    explicit QMUIActivityIndicatorView(const UIColor& color = UIColor::whiteColor());
    ~QMUIActivityIndicatorView() override;

    const UIColor& color() const { return color_; }
    void setColor(const UIColor& color);

    CGSize intrinsicContentSize() const override { return {kSide, kSide}; }
    CGSize sizeThatFits(CGSize) const override { return {kSide, kSide}; }
    void didMoveToWindow() override;
    void drawLayer(CALayer& layer, cairo_t* context) override;

private:
    UIColor color_;
};
