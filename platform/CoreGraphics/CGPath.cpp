#include "platform/CoreGraphics/CGPath.h"

#include <algorithm>
#include <cmath>

namespace {

int pointCount(CGPath::ElementType type) {
    switch (type) {
    case CGPath::ElementType::moveToPoint:
    case CGPath::ElementType::addLineToPoint:
        return 1;
    case CGPath::ElementType::addQuadCurveToPoint:
        return 2;
    case CGPath::ElementType::addCurveToPoint:
        return 3;
    case CGPath::ElementType::closeSubpath:
        return 0;
    }
    return 0;
}

// Distance of the cubic control points from the ends for a quarter ellipse.
constexpr CGFloat kQuarterArcHandle = 0.5522847498307936;

struct Bounds {
    CGFloat x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
    void add(CGPoint p) {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    CGRect rect() const { return x0 > x1 ? CGRectNull : CGRect{{x0, y0}, {x1 - x0, y1 - y0}}; }
};

CGFloat cubicAt(CGFloat p0, CGFloat p1, CGFloat p2, CGFloat p3, CGFloat t) {
    CGFloat u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
}

// Parameters in (0, 1) where one coordinate of a cubic has a local extremum.
std::vector<CGFloat> cubicExtrema(CGFloat p0, CGFloat p1, CGFloat p2, CGFloat p3) {
    // Derivative / 3: a t^2 + b t + c.
    CGFloat a = -p0 + 3 * p1 - 3 * p2 + p3;
    CGFloat b = 2 * (p0 - 2 * p1 + p2);
    CGFloat c = p1 - p0;
    std::vector<CGFloat> roots;
    if (std::fabs(a) < 1e-12) {
        if (std::fabs(b) > 1e-12) {
            roots.push_back(-c / b);
        }
    } else {
        CGFloat disc = b * b - 4 * a * c;
        if (disc >= 0) {
            CGFloat s = std::sqrt(disc);
            roots.push_back((-b + s) / (2 * a));
            roots.push_back((-b - s) / (2 * a));
        }
    }
    std::erase_if(roots, [](CGFloat t) { return t <= 0 || t >= 1; });
    return roots;
}

} // namespace

bool operator==(const CGPath::Element& a, const CGPath::Element& b) {
    if (a.type != b.type) {
        return false;
    }
    for (int i = 0; i < pointCount(a.type); ++i) {
        if (!(a.points[i] == b.points[i])) {
            return false;
        }
    }
    return true;
}

void CGPath::move(CGPoint to, const CGAffineTransform& transform) {
    CGPoint p = CGPointApplyAffineTransform(to, transform);
    elements_.push_back({ElementType::moveToPoint, {p}});
    subpathStart_ = p;
}

void CGPath::addLine(CGPoint to, const CGAffineTransform& transform) {
    if (!currentPoint()) {
        move(to, transform);
        return;
    }
    elements_.push_back({ElementType::addLineToPoint, {CGPointApplyAffineTransform(to, transform)}});
}

void CGPath::addQuadCurve(CGPoint to, CGPoint control, const CGAffineTransform& transform) {
    if (!currentPoint()) {
        move(control, transform);
    }
    elements_.push_back(
        {ElementType::addQuadCurveToPoint,
         {CGPointApplyAffineTransform(control, transform), CGPointApplyAffineTransform(to, transform)}});
}

void CGPath::addCurve(CGPoint to, CGPoint control1, CGPoint control2, const CGAffineTransform& transform) {
    if (!currentPoint()) {
        move(control1, transform);
    }
    elements_.push_back(
        {ElementType::addCurveToPoint,
         {CGPointApplyAffineTransform(control1, transform), CGPointApplyAffineTransform(control2, transform),
          CGPointApplyAffineTransform(to, transform)}});
}

void CGPath::addRect(const CGRect& rect, const CGAffineTransform& transform) {
    CGRect r = rect.standardized();
    move({r.minX(), r.minY()}, transform);
    addLine({r.maxX(), r.minY()}, transform);
    addLine({r.maxX(), r.maxY()}, transform);
    addLine({r.minX(), r.maxY()}, transform);
    closeSubpath();
}

void CGPath::addCornerArc(CGPoint corner, CGPoint start, CGPoint end, const CGAffineTransform& transform) {
    // A quarter ellipse from `start` to `end` bulging towards `corner`.
    CGPoint c1{start.x + (corner.x - start.x) * kQuarterArcHandle,
               start.y + (corner.y - start.y) * kQuarterArcHandle};
    CGPoint c2{end.x + (corner.x - end.x) * kQuarterArcHandle,
               end.y + (corner.y - end.y) * kQuarterArcHandle};
    addCurve(end, c1, c2, transform);
}

void CGPath::addRoundedRect(const CGRect& rect, CGFloat cornerWidth, CGFloat cornerHeight,
                            const CGAffineTransform& transform) {
    CGRect r = rect.standardized();
    CGFloat rx = std::clamp(cornerWidth, 0.0, r.width() / 2);
    CGFloat ry = std::clamp(cornerHeight, 0.0, r.height() / 2);
    if (rx == 0 || ry == 0) {
        addRect(r, transform);
        return;
    }
    move({r.minX() + rx, r.minY()}, transform);
    addLine({r.maxX() - rx, r.minY()}, transform);
    addCornerArc({r.maxX(), r.minY()}, {r.maxX() - rx, r.minY()}, {r.maxX(), r.minY() + ry}, transform);
    addLine({r.maxX(), r.maxY() - ry}, transform);
    addCornerArc({r.maxX(), r.maxY()}, {r.maxX(), r.maxY() - ry}, {r.maxX() - rx, r.maxY()}, transform);
    addLine({r.minX() + rx, r.maxY()}, transform);
    addCornerArc({r.minX(), r.maxY()}, {r.minX() + rx, r.maxY()}, {r.minX(), r.maxY() - ry}, transform);
    addLine({r.minX(), r.minY() + ry}, transform);
    addCornerArc({r.minX(), r.minY()}, {r.minX(), r.minY() + ry}, {r.minX() + rx, r.minY()}, transform);
    closeSubpath();
}

void CGPath::addRoundedRect(const CGRect& rect, const CGCornerRadii& radii,
                            const CGAffineTransform& transform) {
    CGRect r = rect.standardized();
    CGFloat tl = std::max(radii.topLeft, 0.0), tr = std::max(radii.topRight, 0.0);
    CGFloat br = std::max(radii.bottomRight, 0.0), bl = std::max(radii.bottomLeft, 0.0);
    CGFloat scale = 1;
    auto fit = [&](CGFloat sum, CGFloat length) {
        if (sum > length && sum > 0) {
            scale = std::min(scale, length / sum);
        }
    };
    fit(tl + tr, r.width());
    fit(bl + br, r.width());
    fit(tl + bl, r.height());
    fit(tr + br, r.height());
    tl *= scale, tr *= scale, br *= scale, bl *= scale;

    move({r.minX() + tl, r.minY()}, transform);
    addLine({r.maxX() - tr, r.minY()}, transform);
    if (tr > 0) {
        addCornerArc({r.maxX(), r.minY()}, {r.maxX() - tr, r.minY()}, {r.maxX(), r.minY() + tr}, transform);
    }
    addLine({r.maxX(), r.maxY() - br}, transform);
    if (br > 0) {
        addCornerArc({r.maxX(), r.maxY()}, {r.maxX(), r.maxY() - br}, {r.maxX() - br, r.maxY()}, transform);
    }
    addLine({r.minX() + bl, r.maxY()}, transform);
    if (bl > 0) {
        addCornerArc({r.minX(), r.maxY()}, {r.minX() + bl, r.maxY()}, {r.minX(), r.maxY() - bl}, transform);
    }
    addLine({r.minX(), r.minY() + tl}, transform);
    if (tl > 0) {
        addCornerArc({r.minX(), r.minY()}, {r.minX(), r.minY() + tl}, {r.minX() + tl, r.minY()}, transform);
    }
    closeSubpath();
}

void CGPath::addEllipse(const CGRect& rect, const CGAffineTransform& transform) {
    CGRect r = rect.standardized();
    addRoundedRect(r, r.width() / 2, r.height() / 2, transform);
}

void CGPath::closeSubpath() {
    if (!currentPoint()) {
        return;
    }
    elements_.push_back({ElementType::closeSubpath, {}});
}

std::optional<CGPoint> CGPath::currentPoint() const {
    if (elements_.empty()) {
        return std::nullopt;
    }
    const Element& last = elements_.back();
    if (last.type == ElementType::closeSubpath) {
        return subpathStart_;
    }
    return last.points[pointCount(last.type) - 1];
}

CGRect CGPath::boundingBox() const {
    Bounds b;
    for (const Element& e : elements_) {
        for (int i = 0; i < pointCount(e.type); ++i) {
            b.add(e.points[i]);
        }
    }
    return b.rect();
}

CGRect CGPath::boundingBoxOfPath() const {
    Bounds b;
    CGPoint current;
    for (const Element& e : elements_) {
        switch (e.type) {
        case ElementType::moveToPoint:
        case ElementType::addLineToPoint:
            b.add(e.points[0]);
            current = e.points[0];
            break;
        case ElementType::addQuadCurveToPoint: {
            // Elevate to a cubic so one extremum search serves both.
            CGPoint q = e.points[0];
            CGPoint end = e.points[1];
            CGPoint c1{current.x + 2.0 / 3 * (q.x - current.x), current.y + 2.0 / 3 * (q.y - current.y)};
            CGPoint c2{end.x + 2.0 / 3 * (q.x - end.x), end.y + 2.0 / 3 * (q.y - end.y)};
            for (CGFloat t : cubicExtrema(current.x, c1.x, c2.x, end.x)) {
                b.add({cubicAt(current.x, c1.x, c2.x, end.x, t), cubicAt(current.y, c1.y, c2.y, end.y, t)});
            }
            for (CGFloat t : cubicExtrema(current.y, c1.y, c2.y, end.y)) {
                b.add({cubicAt(current.x, c1.x, c2.x, end.x, t), cubicAt(current.y, c1.y, c2.y, end.y, t)});
            }
            b.add(end);
            current = end;
            break;
        }
        case ElementType::addCurveToPoint: {
            CGPoint c1 = e.points[0], c2 = e.points[1], end = e.points[2];
            for (CGFloat t : cubicExtrema(current.x, c1.x, c2.x, end.x)) {
                b.add({cubicAt(current.x, c1.x, c2.x, end.x, t), cubicAt(current.y, c1.y, c2.y, end.y, t)});
            }
            for (CGFloat t : cubicExtrema(current.y, c1.y, c2.y, end.y)) {
                b.add({cubicAt(current.x, c1.x, c2.x, end.x, t), cubicAt(current.y, c1.y, c2.y, end.y, t)});
            }
            b.add(end);
            current = end;
            break;
        }
        case ElementType::closeSubpath:
            break;
        }
    }
    return b.rect();
}

CGPath CGPath::applying(const CGAffineTransform& transform) const {
    CGPath result = *this;
    for (Element& e : result.elements_) {
        for (int i = 0; i < pointCount(e.type); ++i) {
            e.points[i] = CGPointApplyAffineTransform(e.points[i], transform);
        }
    }
    result.subpathStart_ = CGPointApplyAffineTransform(subpathStart_, transform);
    return result;
}

std::optional<CGPath> CGPath::interpolate(const CGPath& from, const CGPath& to, CGFloat t) {
    if (from.elements_.size() != to.elements_.size()) {
        return std::nullopt;
    }
    auto lerp = [t](CGPoint a, CGPoint b) { return CGPoint{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; };
    CGPath result = from;
    for (size_t i = 0; i < from.elements_.size(); ++i) {
        const Element& a = from.elements_[i];
        const Element& b = to.elements_[i];
        if (a.type != b.type) {
            return std::nullopt;
        }
        for (int k = 0; k < pointCount(a.type); ++k) {
            result.elements_[i].points[k] = lerp(a.points[k], b.points[k]);
        }
    }
    result.subpathStart_ = lerp(from.subpathStart_, to.subpathStart_);
    return result;
}
