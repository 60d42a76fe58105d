#include "platform/CoreGraphics/CGImage.h"

std::shared_ptr<const CGImage> CGImage::adopt(cairo_surface_t* surface) {
    if (surface == nullptr) {
        return nullptr;
    }
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    return std::shared_ptr<const CGImage>(new CGImage(surface));
}

CGImage::~CGImage() { cairo_surface_destroy(surface_); }

int CGImage::width() const { return cairo_image_surface_get_width(surface_); }

int CGImage::height() const { return cairo_image_surface_get_height(surface_); }
