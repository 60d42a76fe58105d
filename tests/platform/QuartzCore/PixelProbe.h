#pragma once

#include <cairo.h>

#include <cstdint>

// Reads straight (not premultiplied) 8-bit colour components of one pixel of an ARGB32
// image surface, for pixel assertions.
struct Pixel {
    int r = 0;
    int g = 0;
    int b = 0;
    int a = 0;
};

inline Pixel pixelAt(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const std::uint32_t value = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
    Pixel pixel;
    pixel.a = static_cast<int>((value >> 24) & 0xff);
    auto unpremultiply = [&](std::uint32_t component) {
        return pixel.a == 0 ? 0 : static_cast<int>((component * 255 + pixel.a / 2) / pixel.a);
    };
    pixel.r = unpremultiply((value >> 16) & 0xff);
    pixel.g = unpremultiply((value >> 8) & 0xff);
    pixel.b = unpremultiply(value & 0xff);
    return pixel;
}
