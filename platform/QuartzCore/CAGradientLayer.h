#pragma once

#include "platform/QuartzCore/CALayer.h"

#include <vector>

// A layer filled with a linear gradient from `startPoint` to `endPoint`, both unit
// coordinates of the bounds ((0, 0) top left). Without colours it draws nothing extra.
class CAGradientLayer : public CALayer {
  public:
    CAGradientLayer() = default;
    CAGradientLayer(const CAGradientLayer& other) = default;
    static std::shared_ptr<CAGradientLayer> layer() { return std::make_shared<CAGradientLayer>(); }

    const std::vector<UIColor>& colors() const { return colors_; }
    void setColors(std::vector<UIColor> colors) { assign(colors_, colors, "colors", true); }
    // Stops (0...1) for the colours; evenly spread when empty.
    const std::vector<double>& locations() const { return locations_; }
    void setLocations(std::vector<double> locations) { assign(locations_, locations, "locations", true); }
    CGPoint startPoint() const { return startPoint_; }
    void setStartPoint(CGPoint point) { assign(startPoint_, point, "startPoint", true); }
    CGPoint endPoint() const { return endPoint_; }
    void setEndPoint(CGPoint point) { assign(endPoint_, point, "endPoint", true); }

    bool drawsContent() const override { return !colors_.empty() || CALayer::drawsContent(); }
    void drawInContext(cairo_t* context) override;
    bool isContentKeyPath(const std::string& keyPath) const override;
    std::optional<CAValue> valueForKeyPath(const std::string& keyPath) const override;
    bool setValueForKeyPath(const std::string& keyPath, const CAValue& value) override;

  protected:
    std::shared_ptr<CALayer> clone() const override { return std::make_shared<CAGradientLayer>(*this); }

  private:
    std::vector<UIColor> colors_;
    std::vector<double> locations_;
    CGPoint startPoint_{0.5, 0};
    CGPoint endPoint_{0.5, 1};
};
