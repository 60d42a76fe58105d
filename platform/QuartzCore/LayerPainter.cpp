#include "platform/QuartzCore/LayerPainter.h"

#include "platform/QuartzCore/CALayer.h"
#include "platform/QuartzCore/LayerRenderState.h"
#include "platform/QuartzCore/RenderColors.h"
#include "platform/UIKit/UIImage.h"
#include "platform/render/Paint.h"

#include <algorithm>
#include <cmath>

cairo_matrix_t toCairoMatrix(const CGAffineTransform& t) {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, t.a, t.b, t.c, t.d, t.tx, t.ty);
    return matrix;
}

LayerRenderState::~LayerRenderState() {
    dropContent();
}

void LayerRenderState::dropContent() {
    if (content != nullptr) {
        cairo_surface_destroy(content);
        content = nullptr;
    }
}

namespace {

CGCornerRadii radiiOf(const CALayer& layer) {
    const CGFloat r = std::max<CGFloat>(0, layer.cornerRadius());
    const CACornerMask mask = layer.maskedCorners();
    return CGCornerRadii{(mask & kCALayerMinXMinYCorner) ? r : 0, (mask & kCALayerMaxXMinYCorner) ? r : 0,
                         (mask & kCALayerMaxXMaxYCorner) ? r : 0, (mask & kCALayerMinXMaxYCorner) ? r : 0};
}

bool visibleColor(const std::optional<UIColor>& color) {
    return color && color->alpha > 0;
}

bool isInvisible(const CALayer& values) {
    return values.isHidden() || values.opacity() <= 0.001f;
}

bool castsShadow(const CALayer& values) {
    return values.shadowOpacity() > 0 && visibleColor(values.shadowColor()) && !values.masksToBounds();
}

} // namespace

CGRect placeContents(CGSize size, const CGRect& bounds, CALayerContentsGravity gravity) {
    const CGFloat w = bounds.size.width;
    const CGFloat h = bounds.size.height;
    switch (gravity) {
    case CALayerContentsGravity::resize:
        return bounds;
    case CALayerContentsGravity::resizeAspect:
    case CALayerContentsGravity::resizeAspectFill: {
        if (size.width <= 0 || size.height <= 0) {
            return bounds;
        }
        const CGFloat sx = w / size.width;
        const CGFloat sy = h / size.height;
        const CGFloat factor =
            gravity == CALayerContentsGravity::resizeAspect ? std::min(sx, sy) : std::max(sx, sy);
        const CGSize fitted{size.width * factor, size.height * factor};
        return {{bounds.origin.x + (w - fitted.width) / 2, bounds.origin.y + (h - fitted.height) / 2},
                fitted};
    }
    default:
        break;
    }
    CGFloat x = bounds.origin.x + (w - size.width) / 2;
    CGFloat y = bounds.origin.y + (h - size.height) / 2;
    switch (gravity) {
    case CALayerContentsGravity::top:
    case CALayerContentsGravity::topLeft:
    case CALayerContentsGravity::topRight:
        y = bounds.origin.y;
        break;
    case CALayerContentsGravity::bottom:
    case CALayerContentsGravity::bottomLeft:
    case CALayerContentsGravity::bottomRight:
        y = bounds.origin.y + h - size.height;
        break;
    default:
        break;
    }
    switch (gravity) {
    case CALayerContentsGravity::left:
    case CALayerContentsGravity::topLeft:
    case CALayerContentsGravity::bottomLeft:
        x = bounds.origin.x;
        break;
    case CALayerContentsGravity::right:
    case CALayerContentsGravity::topRight:
    case CALayerContentsGravity::bottomRight:
        x = bounds.origin.x + w - size.width;
        break;
    default:
        break;
    }
    return {{x, y}, size};
}

LayerPainter::LayerPainter(double scale, bool cacheContent, std::size_t largestRaster)
    : scale_(scale > 0 ? scale : 1), cacheContent_(cacheContent), largestRaster_(largestRaster),
      now_(CACurrentMediaTime()) {}

void LayerPainter::paintTree(CALayer& layer, cairo_t* cr) {
    double dx = 1;
    double dy = 0;
    cairo_user_to_device_distance(cr, &dx, &dy);
    LayerPainter painter(std::hypot(dx, dy), false);
    painter.paintSubtree(layer, cr);
}

CALayer& LayerPainter::presented(CALayer& layer) {
    if (!layer.hasAnimations()) {
        return layer;
    }
    auto& presentation = presentations_[&layer];
    if (!presentation) {
        presentation = layer.presentationLayer();
    }
    return *presentation;
}

CGRect LayerPainter::ownDeviceBox(CALayer& layer, const CGAffineTransform& toDevice) {
    CALayer& values = presented(layer);
    if (isInvisible(values)) {
        return CGRectNull;
    }
    CGRect area = values.bounds();
    if (layer.drawsContent()) {
        area = area.unionWith(values.contentRect());
    }
    if (castsShadow(values)) {
        const CGRect shape = values.shadowPath() ? values.shadowPath()->boundingBoxOfPath() : area;
        const CGFloat blur = values.shadowRadius() * 2 + 1;
        area = area.unionWith(
            shape.offsetBy(values.shadowOffset().width, values.shadowOffset().height).insetBy(-blur, -blur));
    }
    // One pixel of margin for antialiased edges.
    return CGRectApplyAffineTransform(area, toDevice).insetBy(-1, -1).integral();
}

void LayerPainter::paintSubtree(CALayer& layer, cairo_t* cr, const cairo_region_t* visible) {
    CALayer& values = presented(layer);
    if (isInvisible(values)) {
        return;
    }
    if (visible != nullptr) {
        const CGRect box = layer.renderState().subtreeBox;
        if (box.isNull()) {
            return;
        }
        const cairo_rectangle_int_t rect{static_cast<int>(box.origin.x), static_cast<int>(box.origin.y),
                                         static_cast<int>(box.size.width), static_cast<int>(box.size.height)};
        if (cairo_region_contains_rectangle(visible, &rect) == CAIRO_REGION_OVERLAP_OUT) {
            return;
        }
    }
    const bool group = values.opacity() < 0.999f;
    cairo_save(cr);
    if (group) {
        cairo_push_group(cr);
    }
    if (castsShadow(values)) {
        paintShadow(layer, values, cr);
    }
    const CGCornerRadii radii = radiiOf(values);
    if (visibleColor(values.backgroundColor())) {
        render::fillRoundedRect(cr, values.bounds(), radii, toRGBA(*values.backgroundColor()));
    }
    if (values.masksToBounds()) {
        render::setRoundedRectPath(cr, values.bounds(), radii);
        cairo_clip(cr);
    }
    if (const auto picture = values.externalPicture()) {
        punchHole(values, *picture, cr);
    }
    if (layer.drawsContent()) {
        paintContent(layer, values, cr);
    }
    const auto sublayers = layer.sublayers();
    for (const auto& sublayer : sublayers) {
        CALayer& subvalues = presented(*sublayer);
        if (isInvisible(subvalues)) {
            continue;
        }
        cairo_save(cr);
        const cairo_matrix_t matrix = toCairoMatrix(subvalues.transformToSuperlayer());
        cairo_transform(cr, &matrix);
        paintSubtree(*sublayer, cr, visible);
        cairo_restore(cr);
    }
    if (values.borderWidth() > 0 && visibleColor(values.borderColor())) {
        render::strokeBorder(cr, values.bounds(), radii, values.borderWidth(), toRGBA(*values.borderColor()));
    }
    if (group) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, values.opacity());
    }
    cairo_restore(cr);
}

// Everything painted so far under the picture's area becomes transparent, so that the
// picture the host draws beneath the interface shows there.
void LayerPainter::punchHole(const CALayer& values, const CAExternalPicture& picture, cairo_t* cr) {
    const CGRect hole = picture.rect.intersection(values.bounds());
    if (hole.isNull() || hole.isEmpty()) {
        return;
    }
    cairo_save(cr);
    cairo_rectangle(cr, hole.origin.x, hole.origin.y, hole.size.width, hole.size.height);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_fill(cr);
    cairo_restore(cr);
}

void LayerPainter::paintShadow(CALayer& layer, CALayer& values, cairo_t* cr) {
    const UIColor color = *values.shadowColor();
    CGRect area = values.bounds();
    if (values.shadowPath()) {
        area = values.shadowPath()->boundingBoxOfPath();
    } else if (layer.drawsContent()) {
        area = area.unionWith(values.contentRect());
    }
    render::drawShadow(cr, area, scale_, toRGBA(color), values.shadowOpacity(), values.shadowOffset(),
                       values.shadowRadius(), [&](cairo_t* shape) {
                           if (values.shadowPath()) {
                               render::fillPath(shape, *values.shadowPath(), render::RGBA{0, 0, 0, 1});
                               return;
                           }
                           if (visibleColor(values.backgroundColor())) {
                               render::fillRoundedRect(
                                   shape, values.bounds(), radiiOf(values),
                                   render::RGBA{0, 0, 0, values.backgroundColor()->alpha});
                           }
                           if (layer.drawsContent()) {
                               paintContent(layer, values, shape);
                           }
                       });
}

void LayerPainter::paintContent(CALayer& layer, CALayer& values, cairo_t* cr) {
    const CGRect rect = values.contentRect().standardized();
    if (rect.isEmpty()) {
        return;
    }
    const int width = std::max(1, static_cast<int>(std::ceil(rect.size.width * scale_)));
    const int height = std::max(1, static_cast<int>(std::ceil(rect.size.height * scale_)));
    if (!cacheContent_) {
        drawContent(values, cr);
        return;
    }
    LayerRenderState& state = layer.renderState();
    if (static_cast<std::size_t>(width) * static_cast<std::size_t>(height) > largestRaster_) {
        state.dropContent();
        drawContent(values, cr);
        return;
    }
    const bool stale = state.content == nullptr || state.rasterStale || state.contentScale != scale_ ||
                       !(state.contentRect == rect && state.contentRect.origin == rect.origin) ||
                       layer.animatesContentAt(now_);
    if (stale) {
        const bool reusable = state.content != nullptr &&
                              cairo_image_surface_get_width(state.content) == width &&
                              cairo_image_surface_get_height(state.content) == height;
        if (!reusable) {
            state.dropContent();
            state.content = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        }
        cairo_t* raster = cairo_create(state.content);
        if (reusable) {
            cairo_set_operator(raster, CAIRO_OPERATOR_CLEAR);
            cairo_paint(raster);
            cairo_set_operator(raster, CAIRO_OPERATOR_OVER);
        }
        cairo_scale(raster, scale_, scale_);
        cairo_translate(raster, -rect.origin.x, -rect.origin.y);
        drawContent(values, raster);
        cairo_destroy(raster);
        cairo_surface_flush(state.content);
        state.contentScale = scale_;
        state.contentRect = rect;
        state.rasterStale = false;
    }
    cairo_save(cr);
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    const bool pixelAligned = matrix.xy == 0 && matrix.yx == 0 && std::fabs(matrix.xx - scale_) < 1e-9 &&
                              std::fabs(matrix.yy - scale_) < 1e-9;
    if (pixelAligned) {
        // Put the raster on whole device pixels, so it is copied rather than resampled.
        double x = rect.origin.x;
        double y = rect.origin.y;
        cairo_user_to_device(cr, &x, &y);
        cairo_identity_matrix(cr);
        cairo_set_source_surface(cr, state.content, std::round(x), std::round(y));
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    } else {
        cairo_translate(cr, rect.origin.x, rect.origin.y);
        cairo_scale(cr, 1 / scale_, 1 / scale_);
        cairo_set_source_surface(cr, state.content, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    }
    cairo_paint(cr);
    cairo_restore(cr);
}

void LayerPainter::drawContent(CALayer& values, cairo_t* cr) {
    if (const auto& image = values.contents(); image && image->CGImage()) {
        const CGRect destination = placeContents(image->size(), values.bounds(), values.contentsGravity());
        std::optional<render::RGBA> tint;
        if (values.contentsTintColor()) {
            tint = toRGBA(*values.contentsTintColor());
        }
        cairo_save(cr);
        cairo_rectangle(cr, values.bounds().origin.x, values.bounds().origin.y, values.bounds().size.width,
                        values.bounds().size.height);
        cairo_clip(cr);
        render::drawImage(cr, *image->CGImage(), destination, 1, tint);
        cairo_restore(cr);
    }
    // Presentation copies keep the delegate, so a view draws the values shown now.
    values.drawInContext(cr);
}
