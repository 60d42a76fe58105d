#pragma once

#include "platform/QuartzCore/CAShapeLayer.h"
#include "platform/UIKit/UIView.h"

#include <memory>

// A preview of the tab bar's pit for the interface designer: the bar outline in red with
// the pit's three guide rectangles in cyan. Position 0 puts the pit at the left edge, 1
// ends it at the right edge. Every change of a property redraws at once.
class AHPitView : public UIView {
  public:
    explicit AHPitView(const CGRect& frame = CGRectZero);

    CGFloat pitDepth() const { return pitDepth_; }
    CGFloat pitPositionScale() const { return pitPositionScale_; }
    void setPitPositionScale(CGFloat scale);
    CGFloat pitDepthScale() const { return pitDepthScale_; }
    void setPitDepthScale(CGFloat scale);
    bool showRects() const { return showRects_; }
    void setShowRects(bool show);

    const std::shared_ptr<CAShapeLayer>& borderLayer() const { return borderLayer_; }
    const std::shared_ptr<CAShapeLayer>& guideRectsLayer() const { return guideRectsLayer_; }

    // What the designer shows: a centred pit of full depth.
    void prepareForInterfaceBuilder();

  private:
    void setupLayers();
    void redraw();

    std::shared_ptr<CAShapeLayer> borderLayer_ = CAShapeLayer::layer();
    std::shared_ptr<CAShapeLayer> guideRectsLayer_ = CAShapeLayer::layer();
    CGFloat pitDepth_ = 40;
    CGFloat pitPositionScale_ = 0;
    CGFloat pitDepthScale_ = 0;
    bool showRects_ = true;
};
