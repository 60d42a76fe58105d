#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>

// Small helpers for pixel tests on offscreen Cairo image surfaces.
namespace rendertest {

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

// A transparent ARGB32 surface of width x height pixels.
inline Surface makeSurface(int width, int height) {
    return Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
}

// A context on the surface whose user space is scaled by `scale`.
inline Context makeContext(cairo_surface_t* surface, double scale = 1) {
    Context cr(cairo_create(surface));
    cairo_scale(cr.get(), scale, scale);
    return cr;
}

struct Pixel {
    int a, r, g, b; // premultiplied, 0...255
};

inline Pixel pixelAt(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const std::uint32_t v = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
    return {int(v >> 24), int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF)};
}

// Number of pixels with any coverage (alpha > 0).
inline int inkedPixels(cairo_surface_t* surface) {
    int count = 0;
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y) {
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) {
            count += pixelAt(surface, x, y).a > 0 ? 1 : 0;
        }
    }
    return count;
}

} // namespace rendertest
