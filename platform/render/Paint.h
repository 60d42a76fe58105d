#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/CoreGraphics/CGImage.h"
#include "platform/CoreGraphics/CGPath.h"

#include <cairo.h>

#include <functional>
#include <optional>
#include <vector>

// Painting primitives for the layer renderer. Every function takes a Cairo context whose
// user space is in points (the device scale is part of its transform) and leaves the
// context's state as it found it.
namespace render {

// Straight (not premultiplied) colour components in 0...1.
struct RGBA {
    double r = 0;
    double g = 0;
    double b = 0;
    double a = 1;
    friend bool operator==(const RGBA&, const RGBA&) = default;
};

void setSourceColor(cairo_t* cr, const RGBA& color);

// Replaces the current Cairo path by `path`.
void setPath(cairo_t* cr, const CGPath& path);
// Replaces the current Cairo path by a rectangle with rounded corners.
void setRoundedRectPath(cairo_t* cr, const CGRect& rect, const CGCornerRadii& radii);

void fillRoundedRect(cairo_t* cr, const CGRect& rect, const CGCornerRadii& radii, const RGBA& color);
// A border of `width` drawn inside `rect` (as layer borders are), following the corners.
void strokeBorder(cairo_t* cr, const CGRect& rect, const CGCornerRadii& radii, double width,
                  const RGBA& color);

// A linear gradient across `rect`. `start` and `end` are unit points of the rectangle
// ((0, 0) top left, (1, 1) bottom right); `locations` (0...1) pair with `colors`, and
// colours are spread evenly when they are missing or do not match in number. The area
// before the first and after the last stop takes the end colours.
void fillLinearGradient(cairo_t* cr, const CGRect& rect, const std::vector<RGBA>& colors,
                        const std::vector<double>& locations, CGPoint start, CGPoint end);

enum class FillRule { nonZero, evenOdd };
enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };

struct StrokeStyle {
    double lineWidth = 1;
    LineCap lineCap = LineCap::butt;
    LineJoin lineJoin = LineJoin::miter;
    double miterLimit = 10;
    std::vector<double> dashPattern; // empty: solid
    double dashPhase = 0;
};

void fillPath(cairo_t* cr, const CGPath& path, const RGBA& color, FillRule rule = FillRule::nonZero);
void strokePath(cairo_t* cr, const CGPath& path, const RGBA& color, const StrokeStyle& style);

// Draws `image` stretched over `destination`, at `opacity`. With a tint, the image's
// alpha is used as a mask filled with the tint colour (template images).
void drawImage(cairo_t* cr, const CGImage& image, const CGRect& destination, double opacity = 1,
               const std::optional<RGBA>& tint = std::nullopt);

// Paints the blurred shadow of whatever `paintShape` draws: the shape's alpha, blurred by
// `radius` points, offset, and filled with `color` at `opacity`. `bounds` must contain the
// shape; `scale` is the device pixels per point of `cr`.
void drawShadow(cairo_t* cr, const CGRect& bounds, double scale, const RGBA& color, double opacity,
                CGSize offset, double radius, const std::function<void(cairo_t*)>& paintShape);

} // namespace render
