#include "platform/QMUIKit/Controllers/QMUIActivityIndicatorView.h"

#include <cairo.h>

#include <cmath>

namespace {

constexpr int kSpokes = 12;
constexpr double kTurnDuration = 1;
const char* const kSpinKey = "spin";

} // namespace

QMUIActivityIndicatorView::QMUIActivityIndicatorView(const UIColor& color)
    : UIView(CGRect{{0, 0}, {kSide, kSide}}), color_(color) {
    layer()->setDelegate(this);
    setUserInteractionEnabled(false);
}

QMUIActivityIndicatorView::~QMUIActivityIndicatorView() { layer()->setDelegate(nullptr); }

void QMUIActivityIndicatorView::setColor(const UIColor& color) {
    if (color_ == color) {
        return;
    }
    color_ = color;
    setNeedsDisplay();
}

void QMUIActivityIndicatorView::didMoveToWindow() {
    UIView::didMoveToWindow();
    if (window() == nullptr) {
        layer()->removeAnimationForKey(kSpinKey);
        return;
    }
    // The wheel steps from spoke to spoke rather than turning smoothly.
    auto spin = CAKeyframeAnimation::animationWithKeyPath("transform");
    for (int step = 0; step < kSpokes; ++step) {
        spin->values.emplace_back(CGAffineTransformMakeRotation(2 * M_PI * step / kSpokes));
    }
    spin->calculationMode = kCAAnimationDiscrete;
    spin->duration = kTurnDuration;
    spin->repeatCount = HUGE_VAL;
    layer()->addAnimation(spin, kSpinKey);
}

void QMUIActivityIndicatorView::drawLayer(CALayer& layer, cairo_t* cr) {
    const CGRect bounds = layer.bounds();
    const double radius = std::min(bounds.width(), bounds.height()) / 2;
    cairo_save(cr);
    cairo_translate(cr, bounds.midX(), bounds.midY());
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, radius * 0.16);
    for (int spoke = 0; spoke < kSpokes; ++spoke) {
        const double alpha = color_.alpha * (0.25 + 0.75 * (kSpokes - spoke) / kSpokes);
        cairo_set_source_rgba(cr, color_.red, color_.green, color_.blue, alpha);
        const double angle = -2 * M_PI * spoke / kSpokes - M_PI / 2;
        cairo_move_to(cr, std::cos(angle) * radius * 0.45, std::sin(angle) * radius * 0.45);
        cairo_line_to(cr, std::cos(angle) * radius * 0.9, std::sin(angle) * radius * 0.9);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}
