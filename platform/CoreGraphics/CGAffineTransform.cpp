#include "platform/CoreGraphics/CGAffineTransform.h"

#include <algorithm>
#include <cmath>

bool CGAffineTransform::isIdentity() const {
    return *this == CGAffineTransformIdentity;
}

CGAffineTransform CGAffineTransform::concatenating(const CGAffineTransform& o) const {
    return {a * o.a + b * o.c, a * o.b + b * o.d,          c * o.a + d * o.c,
            c * o.b + d * o.d, tx * o.a + ty * o.c + o.tx, tx * o.b + ty * o.d + o.ty};
}

CGAffineTransform CGAffineTransform::inverted() const {
    CGFloat det = a * d - b * c;
    if (det == 0) {
        return *this;
    }
    return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

CGAffineTransform CGAffineTransform::translatedBy(CGFloat x, CGFloat y) const {
    return CGAffineTransformMakeTranslation(x, y).concatenating(*this);
}

CGAffineTransform CGAffineTransform::scaledBy(CGFloat sx, CGFloat sy) const {
    return CGAffineTransformMakeScale(sx, sy).concatenating(*this);
}

CGAffineTransform CGAffineTransform::rotated(CGFloat radians) const {
    return CGAffineTransformMakeRotation(radians).concatenating(*this);
}

CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty) {
    return {a, b, c, d, tx, ty};
}

CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) {
    return {1, 0, 0, 1, tx, ty};
}

CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) {
    return {sx, 0, 0, sy, 0, 0};
}

CGAffineTransform CGAffineTransformMakeRotation(CGFloat radians) {
    CGFloat s = std::sin(radians);
    CGFloat c = std::cos(radians);
    return {c, s, -s, c, 0, 0};
}

CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1, const CGAffineTransform& t2) {
    return t1.concatenating(t2);
}

CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t) {
    return t.inverted();
}

CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, CGFloat tx, CGFloat ty) {
    return t.translatedBy(tx, ty);
}

CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, CGFloat sx, CGFloat sy) {
    return t.scaledBy(sx, sy);
}

CGAffineTransform CGAffineTransformRotate(const CGAffineTransform& t, CGFloat radians) {
    return t.rotated(radians);
}

CGPoint CGPointApplyAffineTransform(CGPoint p, const CGAffineTransform& t) {
    return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

CGSize CGSizeApplyAffineTransform(CGSize s, const CGAffineTransform& t) {
    return {t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height};
}

CGRect CGRectApplyAffineTransform(const CGRect& rect, const CGAffineTransform& t) {
    if (rect.isNull()) {
        return CGRectNull;
    }
    CGPoint corners[4] = {
        CGPointApplyAffineTransform({rect.minX(), rect.minY()}, t),
        CGPointApplyAffineTransform({rect.maxX(), rect.minY()}, t),
        CGPointApplyAffineTransform({rect.minX(), rect.maxY()}, t),
        CGPointApplyAffineTransform({rect.maxX(), rect.maxY()}, t),
    };
    CGFloat x0 = corners[0].x, x1 = corners[0].x, y0 = corners[0].y, y1 = corners[0].y;
    for (const CGPoint& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}
