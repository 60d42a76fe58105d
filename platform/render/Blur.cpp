#include "platform/render/Blur.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace render {

namespace {

// One box pass over a line of `length` ARGB32 pixels that lie `step` bytes apart: each
// pixel becomes the mean of the 2 * half + 1 pixels around it, the line's end pixels
// standing in for those beyond it. Premultiplied components stay within their alpha.
void boxPass(std::uint8_t* line, int length, std::ptrdiff_t step, int half, std::vector<std::uint8_t>& copy) {
    copy.resize(static_cast<std::size_t>(length) * 4);
    for (int i = 0; i < length; ++i) {
        std::memcpy(&copy[static_cast<std::size_t>(i) * 4], line + i * step, 4);
    }
    const auto pixel = [&](int i) {
        return &copy[static_cast<std::size_t>(std::clamp(i, 0, length - 1)) * 4];
    };
    const std::uint32_t size = static_cast<std::uint32_t>(2 * half + 1);
    std::uint32_t sum[4] = {0, 0, 0, 0};
    for (int i = -half; i <= half; ++i) {
        const std::uint8_t* p = pixel(i);
        for (int c = 0; c < 4; ++c) {
            sum[c] += p[c];
        }
    }
    for (int i = 0; i < length; ++i) {
        std::uint8_t* target = line + i * step;
        for (int c = 0; c < 4; ++c) {
            target[c] = static_cast<std::uint8_t>((sum[c] + size / 2) / size);
        }
        const std::uint8_t* leaving = pixel(i - half);
        const std::uint8_t* entering = pixel(i + half + 1);
        for (int c = 0; c < 4; ++c) {
            sum[c] = sum[c] + entering[c] - leaving[c];
        }
    }
}

} // namespace

CGImageRef blurredImage(const CGImage& image, double sigma) {
    const int width = image.width();
    const int height = image.height();
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(target) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(target);
        return nullptr;
    }
    cairo_surface_t* source = image.surface();
    const int sourceStride = cairo_image_surface_get_stride(source);
    const int stride = cairo_image_surface_get_stride(target);
    const unsigned char* in = cairo_image_surface_get_data(source);
    unsigned char* out = cairo_image_surface_get_data(target);
    for (int y = 0; y < height; ++y) {
        std::memcpy(out + static_cast<std::ptrdiff_t>(y) * stride,
                    in + static_cast<std::ptrdiff_t>(y) * sourceStride, static_cast<std::size_t>(width) * 4);
    }
    // Three passes of a box of this width make a Gaussian of `sigma`.
    if (sigma >= 0.5 && width > 0 && height > 0) {
        const int half = static_cast<int>(std::floor(std::sqrt(4 * sigma * sigma + 1))) / 2;
        std::vector<std::uint8_t> copy;
        for (int pass = 0; pass < 3; ++pass) {
            for (int y = 0; y < height; ++y) {
                boxPass(out + static_cast<std::ptrdiff_t>(y) * stride, width, 4, half, copy);
            }
            for (int x = 0; x < width; ++x) {
                boxPass(out + static_cast<std::ptrdiff_t>(x) * 4, height, stride, half, copy);
            }
        }
    }
    cairo_surface_mark_dirty(target);
    return CGImage::adopt(target);
}

} // namespace render
