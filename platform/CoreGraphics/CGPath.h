#pragma once

#include "platform/CoreGraphics/CGAffineTransform.h"
#include "platform/CoreGraphics/CGGeometry.h"

#include <optional>
#include <vector>

// Radii of the four corners of a rounded rectangle (layers may round only some corners).
struct CGCornerRadii {
    CGFloat topLeft = 0;
    CGFloat topRight = 0;
    CGFloat bottomRight = 0;
    CGFloat bottomLeft = 0;
    bool isZero() const { return topLeft <= 0 && topRight <= 0 && bottomRight <= 0 && bottomLeft <= 0; }
    friend bool operator==(const CGCornerRadii&, const CGCornerRadii&) = default;
};

// A path of straight and curved segments: a plain value that painters replay (into
// Cairo) and that animations interpolate. Rectangles and rounded corners are stored as
// lines and cubic Bézier curves, so every path is made of the five element kinds below.
class CGPath {
  public:
    enum class ElementType {
        moveToPoint,
        addLineToPoint,
        addQuadCurveToPoint,
        addCurveToPoint,
        closeSubpath
    };
    struct Element {
        ElementType type;
        // moveTo/lineTo: 1 point (end); quad: control, end; cubic: control1, control2, end.
        CGPoint points[3];
        friend bool operator==(const Element& a, const Element& b);
    };

    void move(CGPoint to, const CGAffineTransform& transform = CGAffineTransformIdentity);
    // A line from the current point; starts a subpath at `to` when there is none.
    void addLine(CGPoint to, const CGAffineTransform& transform = CGAffineTransformIdentity);
    void addQuadCurve(CGPoint to, CGPoint control,
                      const CGAffineTransform& transform = CGAffineTransformIdentity);
    void addCurve(CGPoint to, CGPoint control1, CGPoint control2,
                  const CGAffineTransform& transform = CGAffineTransformIdentity);
    // A closed subpath around the rectangle, clockwise on screen from its top-left corner.
    void addRect(const CGRect& rect, const CGAffineTransform& transform = CGAffineTransformIdentity);
    void addRoundedRect(const CGRect& rect, CGFloat cornerWidth, CGFloat cornerHeight,
                        const CGAffineTransform& transform = CGAffineTransformIdentity);
    // Per-corner circular radii; radii that do not fit are scaled down together so that
    // neighbouring corners never overlap.
    void addRoundedRect(const CGRect& rect, const CGCornerRadii& radii,
                        const CGAffineTransform& transform = CGAffineTransformIdentity);
    void addEllipse(const CGRect& rect, const CGAffineTransform& transform = CGAffineTransformIdentity);
    void closeSubpath();

    const std::vector<Element>& elements() const { return elements_; }
    bool isEmpty() const { return elements_.empty(); }
    std::optional<CGPoint> currentPoint() const;
    // The box of every point including control points (CGPathGetBoundingBox).
    CGRect boundingBox() const;
    // The tight box of the drawn curves (CGPathGetPathBoundingBox).
    CGRect boundingBoxOfPath() const;
    CGPath applying(const CGAffineTransform& transform) const;

    // The path between `from` (t = 0) and `to` (t = 1) when both have the same elements
    // kinds in the same order; nothing otherwise.
    static std::optional<CGPath> interpolate(const CGPath& from, const CGPath& to, CGFloat t);

    friend bool operator==(const CGPath&, const CGPath&) = default;

  private:
    void addCornerArc(CGPoint corner, CGPoint start, CGPoint end, const CGAffineTransform& transform);
    std::vector<Element> elements_;
    CGPoint subpathStart_;
};

// Core Graphics spells a mutable path separately; here every path can be built up.
using CGMutablePath = CGPath;
