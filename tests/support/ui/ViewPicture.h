#pragma once

#include "platform/QuartzCore/LayerPainter.h"
#include "platform/UIKit/UIView.h"
#include "tests/platform/QuartzCore/PixelProbe.h"

#include <cairo.h>

#include <algorithm>

namespace testsupport::ui {

// A view and its subviews drawn over white at twice their size, as the screen shows them,
// for assertions on what a person sees. Coordinates are the view's points.
class ViewPicture {
  public:
    static constexpr int kScale = 2;

    explicit ViewPicture(UIView& view) {
        const CGRect bounds = view.bounds();
        surface_ =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(bounds.size.width) * kScale,
                                       static_cast<int>(bounds.size.height) * kScale);
        cairo_t* cr = cairo_create(surface_);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_scale(cr, kScale, kScale);
        LayerPainter::paintTree(*view.layer(), cr);
        cairo_destroy(cr);
    }
    ~ViewPicture() { cairo_surface_destroy(surface_); }
    ViewPicture(const ViewPicture&) = delete;
    ViewPicture& operator=(const ViewPicture&) = delete;

    cairo_surface_t* surface() const { return surface_; }
    int pixelWidth() const { return cairo_image_surface_get_width(surface_); }

    // The pixel that covers the point.
    Pixel at(CGFloat x, CGFloat y) const {
        return pixelAt(surface_, static_cast<int>(x * kScale), static_cast<int>(y * kScale));
    }
    // The darkest and the brightest pixel within `area` (by the sum of their components).
    Pixel darkest(const CGRect& area) const {
        return extreme(
            area, [](int sum, int best) { return sum < best; }, Pixel{255, 255, 255, 255});
    }
    Pixel brightest(const CGRect& area) const {
        return extreme(
            area, [](int sum, int best) { return sum > best; }, Pixel{0, 0, 0, 0});
    }

  private:
    template <class Better> Pixel extreme(const CGRect& area, Better better, Pixel found) const {
        const int width = cairo_image_surface_get_width(surface_);
        const int height = cairo_image_surface_get_height(surface_);
        for (int y = std::max(0, static_cast<int>(area.minY() * kScale));
             y < std::min(height, static_cast<int>(area.maxY() * kScale)); ++y) {
            for (int x = std::max(0, static_cast<int>(area.minX() * kScale));
                 x < std::min(width, static_cast<int>(area.maxX() * kScale)); ++x) {
                const Pixel pixel = pixelAt(surface_, x, y);
                if (better(pixel.r + pixel.g + pixel.b, found.r + found.g + found.b)) {
                    found = pixel;
                }
            }
        }
        return found;
    }

    cairo_surface_t* surface_;
};

} // namespace testsupport::ui
