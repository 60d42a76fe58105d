#include "platform/CoreGraphics/CGImage.h"

#include <algorithm>
#include <cstdint>

namespace {

// A new image of half the size (rounded up), each pixel the mean of up to 2 x 2 pixels.
// Averaging premultiplied components is exact for transparent edges.
cairo_surface_t* halved(cairo_surface_t* source) {
    const int width = cairo_image_surface_get_width(source);
    const int height = cairo_image_surface_get_height(source);
    const int halfWidth = (width + 1) / 2;
    const int halfHeight = (height + 1) / 2;
    cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, halfWidth, halfHeight);
    if (cairo_surface_status(target) != CAIRO_STATUS_SUCCESS) {
        return target;
    }
    const unsigned char* in = cairo_image_surface_get_data(source);
    const int inStride = cairo_image_surface_get_stride(source);
    unsigned char* out = cairo_image_surface_get_data(target);
    const int outStride = cairo_image_surface_get_stride(target);
    for (int y = 0; y < halfHeight; ++y) {
        const int y0 = 2 * y;
        const int y1 = y0 + 1 < height ? y0 + 1 : y0;
        const auto* row0 =
            reinterpret_cast<const std::uint32_t*>(in + static_cast<std::ptrdiff_t>(y0) * inStride);
        const auto* row1 =
            reinterpret_cast<const std::uint32_t*>(in + static_cast<std::ptrdiff_t>(y1) * inStride);
        auto* row = reinterpret_cast<std::uint32_t*>(out + static_cast<std::ptrdiff_t>(y) * outStride);
        for (int x = 0; x < halfWidth; ++x) {
            const int x0 = 2 * x;
            const int x1 = x0 + 1 < width ? x0 + 1 : x0;
            const std::uint32_t p[4] = {row0[x0], row0[x1], row1[x0], row1[x1]};
            std::uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                std::uint32_t sum = 2;
                for (std::uint32_t v : p) {
                    sum += (v >> shift) & 0xFF;
                }
                result |= (sum / 4) << shift;
            }
            row[x] = result;
        }
    }
    cairo_surface_mark_dirty(target);
    return target;
}

} // namespace

std::shared_ptr<const CGImage> CGImage::adopt(cairo_surface_t* surface) {
    if (surface == nullptr) {
        return nullptr;
    }
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS ||
        cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(surface);
    return std::shared_ptr<const CGImage>(new CGImage(surface));
}

CGImage::~CGImage() {
    cairo_surface_destroy(surface_);
}

int CGImage::width() const {
    return cairo_image_surface_get_width(surface_);
}

int CGImage::height() const {
    return cairo_image_surface_get_height(surface_);
}

const CGImage& CGImage::reduced(int halvings) const {
    if (halvings <= 0) {
        return *this;
    }
    std::lock_guard guard(reductionsLock_);
    while (static_cast<int>(reductions_.size()) < halvings) {
        const CGImage& previous = reductions_.empty() ? *this : *reductions_.back();
        if (previous.width() <= 1 && previous.height() <= 1) {
            break;
        }
        auto next = adopt(halved(previous.surface()));
        if (!next) {
            break;
        }
        reductions_.push_back(std::move(next));
    }
    const std::size_t available = std::min(static_cast<std::size_t>(halvings), reductions_.size());
    return available == 0 ? *this : *reductions_[available - 1];
}
