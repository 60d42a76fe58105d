#include "platform/QuartzCore/CAShapeLayer.h"

#include "platform/QuartzCore/RenderColors.h"
#include "platform/render/Paint.h"

#include <cmath>

void CAShapeLayer::drawInContext(cairo_t* context) {
    CALayer::drawInContext(context);
    if (!path_ || path_->isEmpty()) {
        return;
    }
    if (fillColor_ && fillColor_->alpha > 0) {
        render::fillPath(context, *path_, toRGBA(*fillColor_),
                         fillRule_ == kCAFillRuleEvenOdd ? render::FillRule::evenOdd
                                                         : render::FillRule::nonZero);
    }
    if (strokeColor_ && strokeColor_->alpha > 0 && lineWidth_ > 0) {
        render::StrokeStyle style;
        style.lineWidth = lineWidth_;
        style.miterLimit = miterLimit_;
        style.lineJoin = lineJoin_ == kCALineJoinRound   ? render::LineJoin::round
                         : lineJoin_ == kCALineJoinBevel ? render::LineJoin::bevel
                                                         : render::LineJoin::miter;
        style.lineCap = lineCap_ == kCALineCapRound    ? render::LineCap::round
                        : lineCap_ == kCALineCapSquare ? render::LineCap::square
                                                       : render::LineCap::butt;
        render::strokePath(context, *path_, toRGBA(*strokeColor_), style);
    }
}

CGRect CAShapeLayer::contentRect() const {
    CGRect area = bounds();
    if (path_ && !path_->isEmpty()) {
        // Miter joins may reach miterLimit half-widths beyond the path.
        const double reach =
            strokeColor_ ? lineWidth_ / 2 * std::max(1.0, lineJoin_ == kCALineJoinMiter ? miterLimit_ : 1.5)
                         : 0;
        area = area.unionWith(path_->boundingBoxOfPath().insetBy(-reach - 1, -reach - 1));
    }
    return area;
}

bool CAShapeLayer::isContentKeyPath(const std::string& keyPath) const {
    return keyPath == "path" || keyPath == "fillColor" || keyPath == "strokeColor" || keyPath == "lineWidth";
}

std::optional<CAValue> CAShapeLayer::valueForKeyPath(const std::string& keyPath) const {
    if (keyPath == "path")
        return path_;
    if (keyPath == "fillColor")
        return fillColor_;
    if (keyPath == "strokeColor")
        return strokeColor_;
    if (keyPath == "lineWidth")
        return lineWidth_;
    return CALayer::valueForKeyPath(keyPath);
}

bool CAShapeLayer::setValueForKeyPath(const std::string& keyPath, const CAValue& value) {
    bool stored = false;
    if (keyPath == "path")
        stored = CAValues::store(value, path_);
    else if (keyPath == "fillColor")
        stored = CAValues::store(value, fillColor_);
    else if (keyPath == "strokeColor")
        stored = CAValues::store(value, strokeColor_);
    else if (keyPath == "lineWidth")
        stored = CAValues::store(value, lineWidth_);
    else
        return CALayer::setValueForKeyPath(keyPath, value);
    if (stored) {
        invalidateContent();
    }
    return stored;
}
