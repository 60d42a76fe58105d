#pragma once

#include "platform/QuartzCore/CAGradientLayer.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <vector>

// A view backed by a gradient layer whose colours, stops and end points are properties of
// the view: each setter stores its value and hands it to the layer at once. Without
// colours the view looks like a plain view.
class AZGradientView : public UIView {
  public:
    explicit AZGradientView(const CGRect& frame = CGRectZero);

    // A new gradient view (zero frame) with the gradient set.
    static std::shared_ptr<AZGradientView> az_gradientViewWithColors(const std::vector<UIColor>& colors,
                                                                     const std::vector<double>& locations,
                                                                     CGPoint startPoint, CGPoint endPoint);
    // Sets the colours, the stops, the start and the end point, in this order.
    void az_setGradientBackgroundWithColors(const std::vector<UIColor>& colors,
                                            const std::vector<double>& locations, CGPoint startPoint,
                                            CGPoint endPoint);

    const std::vector<UIColor>& az_colors() const { return colors_; }
    void setAz_colors(std::vector<UIColor> colors);
    const std::vector<double>& az_locations() const { return locations_; }
    void setAz_locations(std::vector<double> locations);
    // The zero point until set.
    CGPoint az_startPoint() const { return startPoint_; }
    void setAz_startPoint(CGPoint point);
    CGPoint az_endPoint() const { return endPoint_; }
    void setAz_endPoint(CGPoint point);

    CAGradientLayer& gradientLayer() const { return static_cast<CAGradientLayer&>(*layer()); }

  private:
    std::vector<UIColor> colors_;
    std::vector<double> locations_;
    CGPoint startPoint_;
    CGPoint endPoint_;
};
