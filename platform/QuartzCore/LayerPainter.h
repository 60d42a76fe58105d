#pragma once

#include "platform/CoreGraphics/CGAffineTransform.h"
#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/QuartzCore/CALayer.h"

#include <cairo.h>

#include <cstddef>
#include <limits>
#include <memory>
#include <unordered_map>

class CALayer;
struct CAExternalPicture;

// Paints layers with Cairo: shadow, background with rounded corners, the hole of an
// external picture, own content, masked sublayers, border, all at the layer's opacity as
// one group (inside a translucent group a hole shows what lies beneath the group, not the
// external picture). One painter serves one pass, so that each animated layer's
// presentation is computed once per frame.
class LayerPainter {
  public:
    // `scale`: device pixels per point. With `cacheContent`, each layer's own content is
    // rasterised into its render state and reused until it changes, unless its raster would
    // have more than `largestRaster` pixels: content larger than that (a long text inside a
    // scroll view) is drawn directly, only where it shows, rather than kept whole.
    LayerPainter(double scale, bool cacheContent,
                 std::size_t largestRaster = std::numeric_limits<std::size_t>::max());

    // Paints `layer` and its sublayers as presented now, in the layer's own bounds space
    // (its position and transform are not applied), drawing content directly.
    static void paintTree(CALayer& layer, cairo_t* cr);

    // Paints the subtree with `cr` already mapping the layer's bounds space. Subtrees whose
    // last on-screen box lies outside `visible` (device pixels) are skipped.
    void paintSubtree(CALayer& layer, cairo_t* cr, const cairo_region_t* visible = nullptr);

    // The values the layer shows in this pass: its presentation while it has animations.
    CALayer& presented(CALayer& layer);
    // The device rectangle painting the layer's own parts may touch (content, shadow,
    // border), for `values` drawn with `toDevice`; null when the layer shows nothing.
    CGRect ownDeviceBox(CALayer& layer, const CGAffineTransform& toDevice);

    double scale() const { return scale_; }

  private:
    void punchHole(const CALayer& values, const CAExternalPicture& picture, cairo_t* cr);
    void paintShadow(CALayer& layer, CALayer& values, cairo_t* cr);
    void paintContent(CALayer& layer, CALayer& values, cairo_t* cr);
    void drawContent(CALayer& values, cairo_t* cr);

    double scale_;
    bool cacheContent_;
    std::size_t largestRaster_;
    double now_;
    std::unordered_map<const CALayer*, std::shared_ptr<CALayer>> presentations_;
};

// Where contents of `size` (points) go inside `bounds` for a gravity.
CGRect placeContents(CGSize size, const CGRect& bounds, CALayerContentsGravity gravity);

// Converts between the geometry types and Cairo matrices.
cairo_matrix_t toCairoMatrix(const CGAffineTransform& transform);
