#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

#include <cairo.h>

#include <cstdint>
#include <vector>

class CALayer;

// Keeps an image of a layer tree up to date. Each frame repaints only the screen areas
// that changed: layers whose geometry or appearance changed, layers whose own content
// changed (re-rasterised once, then reused), running animations, removed subtrees. The
// cost of a frame thus follows what changed, not the size of the tree.
class LayerCompositor {
  public:
    // A transparent image of `pixelWidth` x `pixelHeight` pixels at `scale` pixels per point.
    LayerCompositor(int pixelWidth, int pixelHeight, double scale);
    ~LayerCompositor();
    LayerCompositor(const LayerCompositor&) = delete;
    LayerCompositor& operator=(const LayerCompositor&) = delete;

    // Brings the image up to date with the tree under `root`, whose frame places it on the
    // image (in points). Answers the pixel rectangles that were repainted.
    std::vector<cairo_rectangle_int_t> render(CALayer& root);
    // The next render repaints everything.
    void invalidateAll() { fullRepaint_ = true; }

    cairo_surface_t* surface() const { return surface_; }
    int pixelWidth() const { return width_; }
    int pixelHeight() const { return height_; }
    double scale() const { return scale_; }

  private:
    int width_;
    int height_;
    double scale_;
    std::uint64_t id_;
    bool fullRepaint_ = true;
    cairo_surface_t* surface_;
};
