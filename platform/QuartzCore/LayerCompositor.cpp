#include "platform/QuartzCore/LayerCompositor.h"

#include "platform/QuartzCore/CAAnimationRegistry.h"
#include "platform/QuartzCore/CALayer.h"
#include "platform/QuartzCore/LayerPainter.h"
#include "platform/QuartzCore/LayerRenderState.h"

#include <cmath>

namespace {

std::uint64_t nextCompositorId() {
    static std::uint64_t counter = 0;
    return ++counter;
}

// Finds what changed since the last frame: the union of the old and new screen boxes of
// everything that moved or changed, while recording the new boxes for painting.
class DamageCollector {
  public:
    DamageCollector(LayerPainter& painter, std::uint64_t compositor)
        : painter_(painter), compositor_(compositor) {
        region_ = cairo_region_create();
    }
    ~DamageCollector() { cairo_region_destroy(region_); }
    DamageCollector(const DamageCollector&) = delete;
    DamageCollector& operator=(const DamageCollector&) = delete;

    void add(const CGRect& box) {
        if (box.isNull() || box.isEmpty()) {
            return;
        }
        const CGRect pixels = box.integral();
        const cairo_rectangle_int_t rect{static_cast<int>(pixels.origin.x), static_cast<int>(pixels.origin.y),
                                         static_cast<int>(pixels.size.width),
                                         static_cast<int>(pixels.size.height)};
        cairo_region_union_rectangle(region_, &rect);
    }

    // Visits only layers marked as changed or with changed descendants.
    void collect(CALayer& layer, const CGAffineTransform& parentToDevice) {
        CALayer& values = painter_.presented(layer);
        const CGAffineTransform toDevice = values.transformToSuperlayer().concatenating(parentToDevice);
        LayerRenderState& state = layer.renderState();
        if (layer.needsComposition() || state.compositor != compositor_) {
            add(state.subtreeBox);
            measureSubtree(layer, toDevice, false);
            add(state.subtreeBox);
            return;
        }
        if (layer.needsContentRedraw()) {
            add(state.ownBox);
            state.rasterStale = true;
            state.ownBox = painter_.ownDeviceBox(layer, toDevice);
            add(state.ownBox);
        }
        if (layer.hasDirtyDescendant()) {
            for (const auto& sublayer : layer.sublayers()) {
                collect(*sublayer, toDevice);
            }
        }
        layer.clearRenderFlags();
        state.subtreeBox = combine(layer, values, toDevice, state.ownBox);
    }

    // Records fresh boxes for a whole subtree (it is repainted whole).
    void measureSubtree(CALayer& layer, const CGAffineTransform& toDevice, bool hiddenAbove) {
        CALayer& values = painter_.presented(layer);
        LayerRenderState& state = layer.renderState();
        const bool hidden = hiddenAbove || values.isHidden() || values.opacity() <= 0.001f;
        if (layer.needsContentRedraw()) {
            state.rasterStale = true;
        }
        state.compositor = compositor_;
        state.ownBox = hidden ? CGRectNull : painter_.ownDeviceBox(layer, toDevice);
        for (const auto& sublayer : layer.sublayers()) {
            CALayer& subvalues = painter_.presented(*sublayer);
            measureSubtree(*sublayer, subvalues.transformToSuperlayer().concatenating(toDevice), hidden);
        }
        layer.clearRenderFlags();
        state.subtreeBox = hidden ? CGRectNull : combine(layer, values, toDevice, state.ownBox);
    }

    cairo_region_t* region() const { return region_; }

  private:
    // The own box joined with the sublayers' boxes, cut to the bounds when they mask.
    CGRect combine(CALayer& layer, const CALayer& values, const CGAffineTransform& toDevice,
                   CGRect box) const {
        CGRect children = CGRectNull;
        for (const auto& sublayer : layer.sublayers()) {
            const CGRect sub = sublayer->renderState().subtreeBox;
            if (!sub.isNull()) {
                children = children.isNull() ? sub : children.unionWith(sub);
            }
        }
        if (!children.isNull() && values.masksToBounds()) {
            children = children.intersection(
                CGRectApplyAffineTransform(values.bounds(), toDevice).insetBy(-1, -1).integral());
        }
        if (children.isNull() || children.isEmpty()) {
            return box;
        }
        return box.isNull() ? children : box.unionWith(children);
    }

    LayerPainter& painter_;
    std::uint64_t compositor_;
    cairo_region_t* region_;
};

// Whether the root's own background fills the whole image opaquely, so that the old
// pixels need no clearing first.
bool coversOpaquely(const CALayer& root, const CGAffineTransform& toDevice, int width, int height) {
    if (root.isHidden() || root.opacity() < 1 || !root.backgroundColor() ||
        root.backgroundColor()->alpha < 1 || root.cornerRadius() > 0 || toDevice.b != 0 || toDevice.c != 0) {
        return false;
    }
    return CGRectApplyAffineTransform(root.bounds(), toDevice).contains(CGRectMake(0, 0, width, height));
}

} // namespace

LayerCompositor::LayerCompositor(int pixelWidth, int pixelHeight, double scale)
    : width_(pixelWidth), height_(pixelHeight), scale_(scale), id_(nextCompositorId()),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelWidth, pixelHeight)) {}

LayerCompositor::~LayerCompositor() {
    cairo_surface_destroy(surface_);
}

std::vector<cairo_rectangle_int_t> LayerCompositor::render(CALayer& root) {
    const double now = CACurrentMediaTime();
    for (const auto& layer : CAAnimationRegistry::animatingLayers()) {
        layer->invalidateForAnimationFrame(now);
    }
    // A raster never needs more pixels than the image it is drawn into.
    LayerPainter painter(scale_, true, static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    const CGAffineTransform toDevice = CGAffineTransformMakeScale(scale_, scale_);
    DamageCollector damage(painter, id_);
    if (fullRepaint_ || root.renderState().compositor != id_) {
        fullRepaint_ = false;
        root.takeRemovedAreas();
        damage.measureSubtree(root, painter.presented(root).transformToSuperlayer().concatenating(toDevice),
                              false);
        damage.add(CGRectMake(0, 0, width_, height_));
    } else {
        for (const CGRect& area : root.takeRemovedAreas()) {
            damage.add(area);
        }
        damage.collect(root, toDevice);
    }
    const cairo_rectangle_int_t whole{0, 0, width_, height_};
    cairo_region_intersect_rectangle(damage.region(), &whole);

    std::vector<cairo_rectangle_int_t> rectangles;
    const int count = cairo_region_num_rectangles(damage.region());
    for (int i = 0; i < count; ++i) {
        cairo_rectangle_int_t rect;
        cairo_region_get_rectangle(damage.region(), i, &rect);
        rectangles.push_back(rect);
    }
    if (rectangles.empty()) {
        return rectangles;
    }

    cairo_t* cr = cairo_create(surface_);
    for (const auto& rect : rectangles) {
        cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
    }
    cairo_clip(cr);
    const CALayer& rootValues = painter.presented(root);
    const CGAffineTransform rootToDevice = rootValues.transformToSuperlayer().concatenating(toDevice);
    if (!coversOpaquely(rootValues, rootToDevice, width_, height_)) {
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    }
    const cairo_matrix_t matrix = toCairoMatrix(rootToDevice);
    cairo_set_matrix(cr, &matrix);
    painter.paintSubtree(root, cr, damage.region());
    cairo_destroy(cr);
    cairo_surface_flush(surface_);
    return rectangles;
}
