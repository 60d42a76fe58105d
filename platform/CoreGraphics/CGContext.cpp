#include "platform/CoreGraphics/CGContext.h"

CGContext::CGContext(cairo_t* cairo, CGFloat scale) : cairo_(cairo_reference(cairo)), scale_(scale) {}

CGContext::~CGContext() {
    cairo_destroy(cairo_);
}
