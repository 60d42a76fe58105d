#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

#include <cairo.h>

// A drawing destination: a Cairo context whose user space is in points, with `scale`
// device pixels per point already applied. Holds its own reference to the Cairo context.
class CGContext {
  public:
    CGContext(cairo_t* cairo, CGFloat scale);
    ~CGContext();
    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    cairo_t* cairo() const { return cairo_; }
    CGFloat scale() const { return scale_; }

  private:
    cairo_t* cairo_;
    CGFloat scale_;
};

using CGContextRef = CGContext*;
