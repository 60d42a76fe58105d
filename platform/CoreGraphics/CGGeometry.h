#pragma once

#include <cmath>
#include <limits>

// Points, sizes and rectangles in points (not pixels), with the Core Graphics
// functions the application and the view layer call. A rectangle may have a negative
// width or height; the Get/Inset/... functions work on its standardized form, as
// Core Graphics does. CGRectNull (the result of intersecting disjoint rectangles) has
// an infinite origin.

using CGFloat = double;

inline constexpr CGFloat CGFLOAT_MAX = std::numeric_limits<CGFloat>::max();

struct CGPoint {
    CGFloat x = 0;
    CGFloat y = 0;
    friend bool operator==(const CGPoint&, const CGPoint&) = default;
};

struct CGSize {
    CGFloat width = 0;
    CGFloat height = 0;
    friend bool operator==(const CGSize&, const CGSize&) = default;
};

struct CGRect {
    CGPoint origin;
    CGSize size;

    CGFloat minX() const;
    CGFloat midX() const;
    CGFloat maxX() const;
    CGFloat minY() const;
    CGFloat midY() const;
    CGFloat maxY() const;
    CGFloat width() const { return std::fabs(size.width); }
    CGFloat height() const { return std::fabs(size.height); }
    bool isNull() const;
    // True for the null rectangle and for rectangles without area.
    bool isEmpty() const;
    CGRect standardized() const;
    CGRect insetBy(CGFloat dx, CGFloat dy) const;
    CGRect offsetBy(CGFloat dx, CGFloat dy) const;
    CGRect intersection(const CGRect& other) const;
    CGRect unionWith(const CGRect& other) const;
    bool intersects(const CGRect& other) const;
    bool contains(CGPoint point) const;
    bool contains(const CGRect& other) const;
    // The smallest rectangle with integral coordinates that contains this one.
    CGRect integral() const;

    // Equality of the standardized rectangles (CGRectEqualToRect).
    friend bool operator==(const CGRect& a, const CGRect& b);
};

inline constexpr CGPoint CGPointZero{};
inline constexpr CGSize CGSizeZero{};
inline constexpr CGRect CGRectZero{};
inline constexpr CGRect CGRectNull{
    {std::numeric_limits<CGFloat>::infinity(), std::numeric_limits<CGFloat>::infinity()}, {0, 0}};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) {
    return {x, y};
}
inline CGSize CGSizeMake(CGFloat width, CGFloat height) {
    return {width, height};
}
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    return {{x, y}, {width, height}};
}

inline CGFloat CGRectGetMinX(const CGRect& r) {
    return r.minX();
}
inline CGFloat CGRectGetMidX(const CGRect& r) {
    return r.midX();
}
inline CGFloat CGRectGetMaxX(const CGRect& r) {
    return r.maxX();
}
inline CGFloat CGRectGetMinY(const CGRect& r) {
    return r.minY();
}
inline CGFloat CGRectGetMidY(const CGRect& r) {
    return r.midY();
}
inline CGFloat CGRectGetMaxY(const CGRect& r) {
    return r.maxY();
}
inline CGFloat CGRectGetWidth(const CGRect& r) {
    return r.width();
}
inline CGFloat CGRectGetHeight(const CGRect& r) {
    return r.height();
}
inline bool CGRectIsNull(const CGRect& r) {
    return r.isNull();
}
inline bool CGRectIsEmpty(const CGRect& r) {
    return r.isEmpty();
}
inline CGRect CGRectStandardize(const CGRect& r) {
    return r.standardized();
}
inline CGRect CGRectInset(const CGRect& r, CGFloat dx, CGFloat dy) {
    return r.insetBy(dx, dy);
}
inline CGRect CGRectOffset(const CGRect& r, CGFloat dx, CGFloat dy) {
    return r.offsetBy(dx, dy);
}
inline CGRect CGRectIntersection(const CGRect& a, const CGRect& b) {
    return a.intersection(b);
}
inline CGRect CGRectUnion(const CGRect& a, const CGRect& b) {
    return a.unionWith(b);
}
inline CGRect CGRectIntegral(const CGRect& r) {
    return r.integral();
}
inline bool CGRectIntersectsRect(const CGRect& a, const CGRect& b) {
    return a.intersects(b);
}
inline bool CGRectContainsPoint(const CGRect& r, CGPoint p) {
    return r.contains(p);
}
inline bool CGRectContainsRect(const CGRect& r, const CGRect& other) {
    return r.contains(other);
}
inline bool CGRectEqualToRect(const CGRect& a, const CGRect& b) {
    return a == b;
}
inline bool CGPointEqualToPoint(CGPoint a, CGPoint b) {
    return a == b;
}
inline bool CGSizeEqualToSize(CGSize a, CGSize b) {
    return a == b;
}

// Insets of the four edges (UIKit's type, kept here beside the rectangles it applies to).
struct UIEdgeInsets {
    CGFloat top = 0;
    CGFloat left = 0;
    CGFloat bottom = 0;
    CGFloat right = 0;
    friend bool operator==(const UIEdgeInsets&, const UIEdgeInsets&) = default;
};

inline constexpr UIEdgeInsets UIEdgeInsetsZero{};

inline UIEdgeInsets UIEdgeInsetsMake(CGFloat top, CGFloat left, CGFloat bottom, CGFloat right) {
    return {top, left, bottom, right};
}
inline bool UIEdgeInsetsEqualToEdgeInsets(const UIEdgeInsets& a, const UIEdgeInsets& b) {
    return a == b;
}
// The rectangle shrunk by the insets (grown by negative ones).
CGRect UIEdgeInsetsInsetRect(const CGRect& rect, const UIEdgeInsets& insets);

// A two-dimensional offset (UIKit's UIOffset).
struct UIOffset {
    CGFloat horizontal = 0;
    CGFloat vertical = 0;
    friend bool operator==(const UIOffset&, const UIOffset&) = default;
};

inline constexpr UIOffset UIOffsetZero{};
