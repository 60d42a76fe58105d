#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

#include <cstdint>

typedef struct _cairo_surface cairo_surface_t;

// What the compositor remembers about a layer between frames: the raster of the layer's
// own content and where the layer and its subtree were last drawn on screen.
struct LayerRenderState {
    LayerRenderState() = default;
    LayerRenderState(const LayerRenderState&) = delete;
    LayerRenderState& operator=(const LayerRenderState&) = delete;
    ~LayerRenderState();

    // The own content covering `contentRect` (layer points) at `contentScale` pixels per point.
    cairo_surface_t* content = nullptr;
    double contentScale = 0;
    CGRect contentRect;
    // Set when the content changed since the raster was made.
    bool rasterStale = true;
    // Device rectangles (pixels) of the last frame; null when nothing was drawn.
    CGRect ownBox = CGRectNull;
    CGRect subtreeBox = CGRectNull;
    // The compositor that drew the layer last.
    std::uint64_t compositor = 0;

    void dropContent();
};
