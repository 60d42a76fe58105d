#include "platform/UIKit/UIGraphics.h"

#include "platform/UIKit/UIImage.h"
#include "platform/render/DisplayScale.h"
#include "platform/render/ImageDecoding.h"

#include <cmath>
#include <vector>

namespace {

struct ImageContext {
    cairo_surface_t* surface = nullptr;
    std::unique_ptr<CGContext> context;
    CGFloat scale = 1;

    ~ImageContext() {
        context.reset();
        if (surface != nullptr) {
            cairo_surface_destroy(surface);
        }
    }
};

thread_local std::vector<std::unique_ptr<ImageContext>> contextStack;

} // namespace

void UIGraphicsBeginImageContext(CGSize size) {
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
}

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale) {
    auto entry = std::make_unique<ImageContext>();
    entry->scale = scale > 0 && std::isfinite(scale) ? scale : render::displayScale();
    const double width = std::ceil(size.width * entry->scale);
    const double height = std::ceil(size.height * entry->scale);
    if (width >= 1 && height >= 1 && width * height <= render::kMaxDecodedPixels) {
        entry->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height));
        cairo_t* cr = cairo_create(entry->surface);
        cairo_scale(cr, entry->scale, entry->scale);
        if (opaque) {
            cairo_set_source_rgb(cr, 0, 0, 0);
            cairo_paint(cr);
        }
        entry->context = std::make_unique<CGContext>(cr, entry->scale);
        cairo_destroy(cr);
    }
    contextStack.push_back(std::move(entry));
}

CGContext* UIGraphicsGetCurrentContext() {
    return contextStack.empty() ? nullptr : contextStack.back()->context.get();
}

std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext() {
    if (contextStack.empty() || contextStack.back()->surface == nullptr) {
        return nullptr;
    }
    const ImageContext& current = *contextStack.back();
    cairo_surface_flush(current.surface);
    // A copy, so that later drawing into the context does not change the image.
    const int width = cairo_image_surface_get_width(current.surface);
    const int height = cairo_image_surface_get_height(current.surface);
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, current.surface, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return UIImage::imageWithCGImage(CGImage::adopt(copy), current.scale);
}

void UIGraphicsEndImageContext() {
    if (!contextStack.empty()) {
        contextStack.pop_back();
    }
}
