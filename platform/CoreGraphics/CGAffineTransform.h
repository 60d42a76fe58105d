#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

// A 2-D affine transform mapping (x, y) to (a*x + c*y + tx, b*x + d*y + ty), as in
// Core Graphics. Concatenation order follows Core Graphics too: concat(t1, t2) applies
// t1 first, then t2; translate/scale/rotate(t, ...) apply the new step before t.
struct CGAffineTransform {
    CGFloat a = 1;
    CGFloat b = 0;
    CGFloat c = 0;
    CGFloat d = 1;
    CGFloat tx = 0;
    CGFloat ty = 0;

    bool isIdentity() const;
    // This transform followed by `other`.
    CGAffineTransform concatenating(const CGAffineTransform& other) const;
    // The inverse; the transform itself when it cannot be inverted.
    CGAffineTransform inverted() const;
    bool isInvertible() const { return a * d - b * c != 0; }
    CGAffineTransform translatedBy(CGFloat x, CGFloat y) const;
    CGAffineTransform scaledBy(CGFloat sx, CGFloat sy) const;
    CGAffineTransform rotated(CGFloat radians) const;

    friend bool operator==(const CGAffineTransform&, const CGAffineTransform&) = default;
};

inline constexpr CGAffineTransform CGAffineTransformIdentity{};

CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformMakeRotation(CGFloat radians);
CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1, const CGAffineTransform& t2);
CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t);
CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, CGFloat tx, CGFloat ty);
CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, CGFloat sx, CGFloat sy);
CGAffineTransform CGAffineTransformRotate(const CGAffineTransform& t, CGFloat radians);
inline bool CGAffineTransformIsIdentity(const CGAffineTransform& t) {
    return t.isIdentity();
}
inline bool CGAffineTransformEqualToTransform(const CGAffineTransform& a, const CGAffineTransform& b) {
    return a == b;
}

CGPoint CGPointApplyAffineTransform(CGPoint point, const CGAffineTransform& t);
// Applies the linear part only (no translation), as Core Graphics does for sizes.
CGSize CGSizeApplyAffineTransform(CGSize size, const CGAffineTransform& t);
// The smallest rectangle containing the transformed corners of `rect`.
CGRect CGRectApplyAffineTransform(const CGRect& rect, const CGAffineTransform& t);
