#include "platform/QuartzCore/CAMediaTimingFunction.h"

#include <algorithm>
#include <cmath>

CAMediaTimingFunction::CAMediaTimingFunction(double c1x, double c1y, double c2x, double c2y)
    : c1x_(std::clamp(c1x, 0.0, 1.0)), c1y_(c1y), c2x_(std::clamp(c2x, 0.0, 1.0)), c2y_(c2y) {}

std::shared_ptr<CAMediaTimingFunction> CAMediaTimingFunction::functionWithName(const std::string& name) {
    if (name == kCAMediaTimingFunctionEaseIn) {
        return functionWithControlPoints(0.42, 0, 1, 1);
    }
    if (name == kCAMediaTimingFunctionEaseOut) {
        return functionWithControlPoints(0, 0, 0.58, 1);
    }
    if (name == kCAMediaTimingFunctionEaseInEaseOut) {
        return functionWithControlPoints(0.42, 0, 0.58, 1);
    }
    if (name == kCAMediaTimingFunctionDefault) {
        return functionWithControlPoints(0.25, 0.1, 0.25, 1);
    }
    return functionWithControlPoints(0, 0, 1, 1);
}

std::shared_ptr<CAMediaTimingFunction>
CAMediaTimingFunction::functionWithControlPoints(double c1x, double c1y, double c2x, double c2y) {
    return std::make_shared<CAMediaTimingFunction>(c1x, c1y, c2x, c2y);
}

namespace {

// One coordinate of the Bézier curve with end points 0 and 1.
double bezier(double p1, double p2, double s) {
    const double u = 1 - s;
    return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
}

double bezierSlope(double p1, double p2, double s) {
    const double u = 1 - s;
    return 3 * u * u * p1 + 6 * u * s * (p2 - p1) + 3 * s * s * (1 - p2);
}

} // namespace

double CAMediaTimingFunction::evaluate(double t) const {
    if (t <= 0) {
        return 0;
    }
    if (t >= 1) {
        return 1;
    }
    // Find the curve parameter whose x is t (Newton steps, then bisection as a fallback),
    // then answer its y.
    double s = t;
    for (int i = 0; i < 8; ++i) {
        const double error = bezier(c1x_, c2x_, s) - t;
        if (std::fabs(error) < 1e-9) {
            return bezier(c1y_, c2y_, s);
        }
        const double slope = bezierSlope(c1x_, c2x_, s);
        if (std::fabs(slope) < 1e-7) {
            break;
        }
        s -= error / slope;
    }
    double low = 0;
    double high = 1;
    s = t;
    for (int i = 0; i < 60; ++i) {
        const double x = bezier(c1x_, c2x_, s);
        if (std::fabs(x - t) < 1e-9) {
            break;
        }
        (x < t ? low : high) = s;
        s = (low + high) / 2;
    }
    return bezier(c1y_, c2y_, s);
}
