#include "platform/CoreGraphics/CGGeometry.h"

#include <algorithm>

CGFloat CGRect::minX() const {
    return std::min(origin.x, origin.x + size.width);
}
CGFloat CGRect::maxX() const {
    return std::max(origin.x, origin.x + size.width);
}
CGFloat CGRect::midX() const {
    return origin.x + size.width / 2;
}
CGFloat CGRect::minY() const {
    return std::min(origin.y, origin.y + size.height);
}
CGFloat CGRect::maxY() const {
    return std::max(origin.y, origin.y + size.height);
}
CGFloat CGRect::midY() const {
    return origin.y + size.height / 2;
}

bool CGRect::isNull() const {
    return std::isinf(origin.x) || std::isinf(origin.y);
}

bool CGRect::isEmpty() const {
    return isNull() || size.width == 0 || size.height == 0;
}

CGRect CGRect::standardized() const {
    if (isNull()) {
        return CGRectNull;
    }
    return {{minX(), minY()}, {width(), height()}};
}

CGRect CGRect::insetBy(CGFloat dx, CGFloat dy) const {
    if (isNull()) {
        return CGRectNull;
    }
    CGRect r = standardized();
    r.origin.x += dx;
    r.origin.y += dy;
    r.size.width -= 2 * dx;
    r.size.height -= 2 * dy;
    if (r.size.width < 0 || r.size.height < 0) {
        return CGRectNull;
    }
    return r;
}

CGRect CGRect::offsetBy(CGFloat dx, CGFloat dy) const {
    if (isNull()) {
        return CGRectNull;
    }
    CGRect r = standardized();
    r.origin.x += dx;
    r.origin.y += dy;
    return r;
}

CGRect CGRect::intersection(const CGRect& other) const {
    if (isNull() || other.isNull()) {
        return CGRectNull;
    }
    CGFloat x0 = std::max(minX(), other.minX());
    CGFloat y0 = std::max(minY(), other.minY());
    CGFloat x1 = std::min(maxX(), other.maxX());
    CGFloat y1 = std::min(maxY(), other.maxY());
    if (x1 < x0 || y1 < y0) {
        return CGRectNull;
    }
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

CGRect CGRect::unionWith(const CGRect& other) const {
    if (isNull()) {
        return other.standardized();
    }
    if (other.isNull()) {
        return standardized();
    }
    CGFloat x0 = std::min(minX(), other.minX());
    CGFloat y0 = std::min(minY(), other.minY());
    CGFloat x1 = std::max(maxX(), other.maxX());
    CGFloat y1 = std::max(maxY(), other.maxY());
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

bool CGRect::intersects(const CGRect& other) const {
    CGRect r = intersection(other);
    return !r.isEmpty();
}

bool CGRect::contains(CGPoint point) const {
    if (isNull()) {
        return false;
    }
    // Half-open, as in Core Graphics: the maximum edges are outside.
    return point.x >= minX() && point.x < maxX() && point.y >= minY() && point.y < maxY();
}

bool CGRect::contains(const CGRect& other) const {
    if (isNull() || other.isNull()) {
        return false;
    }
    return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() &&
           other.maxY() <= maxY();
}

CGRect CGRect::integral() const {
    if (isNull()) {
        return CGRectNull;
    }
    CGFloat x0 = std::floor(minX());
    CGFloat y0 = std::floor(minY());
    CGFloat x1 = std::ceil(maxX());
    CGFloat y1 = std::ceil(maxY());
    return {{x0, y0}, {x1 - x0, y1 - y0}};
}

bool operator==(const CGRect& a, const CGRect& b) {
    if (a.isNull() || b.isNull()) {
        return a.isNull() && b.isNull();
    }
    CGRect sa = a.standardized();
    CGRect sb = b.standardized();
    return sa.origin == sb.origin && sa.size == sb.size;
}

CGRect UIEdgeInsetsInsetRect(const CGRect& rect, const UIEdgeInsets& insets) {
    return {{rect.origin.x + insets.left, rect.origin.y + insets.top},
            {rect.size.width - insets.left - insets.right, rect.size.height - insets.top - insets.bottom}};
}
