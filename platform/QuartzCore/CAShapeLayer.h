#pragma once

#include "platform/QuartzCore/CALayer.h"

inline const std::string kCALineJoinMiter = "miter";
inline const std::string kCALineJoinRound = "round";
inline const std::string kCALineJoinBevel = "bevel";
inline const std::string kCALineCapButt = "butt";
inline const std::string kCALineCapRound = "round";
inline const std::string kCALineCapSquare = "square";
inline const std::string kCAFillRuleNonZero = "non-zero";
inline const std::string kCAFillRuleEvenOdd = "even-odd";

// A layer that fills and strokes a path given in its own coordinates. The path may reach
// beyond the bounds; what it draws there is shown unless the layer masks to bounds.
class CAShapeLayer : public CALayer {
  public:
    CAShapeLayer() = default;
    CAShapeLayer(const CAShapeLayer& other) = default;
    static std::shared_ptr<CAShapeLayer> layer() { return std::make_shared<CAShapeLayer>(); }

    const std::optional<CGPath>& path() const { return path_; }
    void setPath(std::optional<CGPath> path) { assign(path_, path, "path", true); }
    const std::optional<UIColor>& fillColor() const { return fillColor_; }
    void setFillColor(std::optional<UIColor> color) { assign(fillColor_, color, "fillColor", true); }
    const std::optional<UIColor>& strokeColor() const { return strokeColor_; }
    void setStrokeColor(std::optional<UIColor> color) { assign(strokeColor_, color, "strokeColor", true); }
    CGFloat lineWidth() const { return lineWidth_; }
    void setLineWidth(CGFloat width) { assign(lineWidth_, width, "lineWidth", true); }
    const std::string& lineJoin() const { return lineJoin_; }
    void setLineJoin(const std::string& join) { assign(lineJoin_, join, nullptr, true); }
    const std::string& lineCap() const { return lineCap_; }
    void setLineCap(const std::string& cap) { assign(lineCap_, cap, nullptr, true); }
    CGFloat miterLimit() const { return miterLimit_; }
    void setMiterLimit(CGFloat limit) { assign(miterLimit_, limit, nullptr, true); }
    const std::string& fillRule() const { return fillRule_; }
    void setFillRule(const std::string& rule) { assign(fillRule_, rule, nullptr, true); }

    bool drawsContent() const override { return true; }
    void drawInContext(cairo_t* context) override;
    // The area the path covers, stroke included, in the layer's coordinates.
    CGRect contentRect() const override;
    bool isContentKeyPath(const std::string& keyPath) const override;
    std::optional<CAValue> valueForKeyPath(const std::string& keyPath) const override;
    bool setValueForKeyPath(const std::string& keyPath, const CAValue& value) override;

  protected:
    std::shared_ptr<CALayer> clone() const override { return std::make_shared<CAShapeLayer>(*this); }

  private:
    std::optional<CGPath> path_;
    std::optional<UIColor> fillColor_ = UIColor::blackColor();
    std::optional<UIColor> strokeColor_;
    CGFloat lineWidth_ = 1;
    std::string lineJoin_ = kCALineJoinMiter;
    std::string lineCap_ = kCALineCapButt;
    CGFloat miterLimit_ = 10;
    std::string fillRule_ = kCAFillRuleNonZero;
};
