#include "platform/render/Paint.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace render {

void setSourceColor(cairo_t* cr, const RGBA& color) {
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a);
}

void setPath(cairo_t* cr, const CGPath& path) {
    cairo_new_path(cr);
    for (const CGPath::Element& e : path.elements()) {
        switch (e.type) {
        case CGPath::ElementType::moveToPoint:
            cairo_move_to(cr, e.points[0].x, e.points[0].y);
            break;
        case CGPath::ElementType::addLineToPoint:
            cairo_line_to(cr, e.points[0].x, e.points[0].y);
            break;
        case CGPath::ElementType::addQuadCurveToPoint: {
            double x0 = 0, y0 = 0;
            cairo_get_current_point(cr, &x0, &y0);
            const CGPoint q = e.points[0], p = e.points[1];
            cairo_curve_to(cr, x0 + 2.0 / 3 * (q.x - x0), y0 + 2.0 / 3 * (q.y - y0),
                           p.x + 2.0 / 3 * (q.x - p.x), p.y + 2.0 / 3 * (q.y - p.y), p.x, p.y);
            break;
        }
        case CGPath::ElementType::addCurveToPoint:
            cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y, e.points[2].x,
                           e.points[2].y);
            break;
        case CGPath::ElementType::closeSubpath:
            cairo_close_path(cr);
            break;
        }
    }
}

void setRoundedRectPath(cairo_t* cr, const CGRect& rect, const CGCornerRadii& radii) {
    if (radii.isZero()) {
        CGRect r = rect.standardized();
        cairo_new_path(cr);
        cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
        return;
    }
    CGPath path;
    path.addRoundedRect(rect, radii);
    setPath(cr, path);
}

void fillRoundedRect(cairo_t* cr, const CGRect& rect, const CGCornerRadii& radii, const RGBA& color) {
    cairo_save(cr);
    setRoundedRectPath(cr, rect, radii);
    setSourceColor(cr, color);
    cairo_fill(cr);
    cairo_restore(cr);
}

void strokeBorder(cairo_t* cr, const CGRect& rect, const CGCornerRadii& radii, double width,
                  const RGBA& color) {
    if (width <= 0 || rect.isEmpty()) {
        return;
    }
    // The ring between the outline and the outline inset by the width, filled even-odd.
    CGRect r = rect.standardized();
    const double w = std::min(width, std::min(r.width(), r.height()) / 2);
    CGPath ring;
    ring.addRoundedRect(r, radii);
    CGCornerRadii inner{std::max(0.0, radii.topLeft - w), std::max(0.0, radii.topRight - w),
                        std::max(0.0, radii.bottomRight - w), std::max(0.0, radii.bottomLeft - w)};
    CGRect innerRect = r.insetBy(w, w);
    if (!innerRect.isNull()) {
        ring.addRoundedRect(innerRect, inner);
    }
    cairo_save(cr);
    setPath(cr, ring);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    setSourceColor(cr, color);
    cairo_fill(cr);
    cairo_restore(cr);
}

void fillLinearGradient(cairo_t* cr, const CGRect& rect, const std::vector<RGBA>& colors,
                        const std::vector<double>& locations, CGPoint start, CGPoint end) {
    if (colors.empty() || rect.isEmpty()) {
        return;
    }
    CGRect r = rect.standardized();
    const double x0 = r.origin.x + start.x * r.size.width, y0 = r.origin.y + start.y * r.size.height;
    const double x1 = r.origin.x + end.x * r.size.width, y1 = r.origin.y + end.y * r.size.height;
    cairo_pattern_t* pattern = cairo_pattern_create_linear(x0, y0, x1, y1);
    const bool useLocations = locations.size() == colors.size();
    for (std::size_t i = 0; i < colors.size(); ++i) {
        double offset =
            useLocations ? locations[i] : (colors.size() == 1 ? 0.0 : double(i) / double(colors.size() - 1));
        const RGBA& c = colors[i];
        cairo_pattern_add_color_stop_rgba(pattern, std::clamp(offset, 0.0, 1.0), c.r, c.g, c.b, c.a);
    }
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_save(cr);
    cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    cairo_set_source(cr, pattern);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(pattern);
}

namespace {

void applyStrokeStyle(cairo_t* cr, const StrokeStyle& style) {
    cairo_set_line_width(cr, style.lineWidth);
    switch (style.lineCap) {
    case LineCap::butt:
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        break;
    case LineCap::round:
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        break;
    case LineCap::square:
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
        break;
    }
    switch (style.lineJoin) {
    case LineJoin::miter:
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
        break;
    case LineJoin::round:
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        break;
    case LineJoin::bevel:
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
        break;
    }
    cairo_set_miter_limit(cr, style.miterLimit);
    // Cairo rejects dash patterns whose lengths are negative or all zero.
    const bool validDash =
        !style.dashPattern.empty() &&
        std::all_of(style.dashPattern.begin(), style.dashPattern.end(), [](double v) { return v >= 0; }) &&
        std::any_of(style.dashPattern.begin(), style.dashPattern.end(), [](double v) { return v > 0; });
    if (validDash) {
        cairo_set_dash(cr, style.dashPattern.data(), static_cast<int>(style.dashPattern.size()),
                       style.dashPhase);
    }
}

} // namespace

void fillPath(cairo_t* cr, const CGPath& path, const RGBA& color, FillRule rule) {
    if (path.isEmpty()) {
        return;
    }
    cairo_save(cr);
    setPath(cr, path);
    cairo_set_fill_rule(cr, rule == FillRule::evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    setSourceColor(cr, color);
    cairo_fill(cr);
    cairo_restore(cr);
}

void strokePath(cairo_t* cr, const CGPath& path, const RGBA& color, const StrokeStyle& style) {
    if (path.isEmpty() || style.lineWidth <= 0) {
        return;
    }
    cairo_save(cr);
    setPath(cr, path);
    applyStrokeStyle(cr, style);
    setSourceColor(cr, color);
    cairo_stroke(cr);
    cairo_restore(cr);
}

namespace {

// Device pixels per image pixel along the image's shorter-scaled axis.
double deviceScaleOf(cairo_t* cr, const CGImage& image, const CGRect& destination) {
    double xx = destination.size.width, xy = 0, yx = 0, yy = destination.size.height;
    cairo_user_to_device_distance(cr, &xx, &xy);
    cairo_user_to_device_distance(cr, &yx, &yy);
    return std::min(std::hypot(xx, xy) / image.width(), std::hypot(yx, yy) / image.height());
}

} // namespace

void drawImage(cairo_t* cr, const CGImage& image, const CGRect& destination, double opacity,
               const std::optional<RGBA>& tint) {
    const CGRect d = destination.standardized();
    if (image.width() <= 0 || image.height() <= 0 || d.isEmpty() || opacity <= 0) {
        return;
    }
    // Shrinking by more than half: start from a halved copy, so that bilinear filtering
    // (fast) still sees every source pixel.
    const double scale = deviceScaleOf(cr, image, d);
    int halvings = 0;
    while (scale * double(1 << halvings) < 0.5 && halvings < 16) {
        ++halvings;
    }
    const CGImage& source = image.reduced(halvings);
    cairo_save(cr);
    cairo_rectangle(cr, d.origin.x, d.origin.y, d.size.width, d.size.height);
    cairo_clip(cr);
    cairo_translate(cr, d.origin.x, d.origin.y);
    cairo_scale(cr, d.size.width / source.width(), d.size.height / source.height());
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source.surface());
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
    if (tint) {
        cairo_set_source_rgba(cr, tint->r, tint->g, tint->b, tint->a * opacity);
        cairo_mask(cr, pattern);
    } else {
        cairo_set_source(cr, pattern);
        cairo_paint_with_alpha(cr, opacity);
    }
    cairo_pattern_destroy(pattern);
    cairo_restore(cr);
}

namespace {

// One pass of a box blur of `size` (odd) along rows (step 1) or columns (step = stride).
void boxBlur(std::uint8_t* data, int count, int length, int lineStride, int step, int size) {
    const int half = size / 2;
    std::vector<std::uint8_t> line(static_cast<std::size_t>(length));
    for (int l = 0; l < count; ++l) {
        std::uint8_t* base = data + static_cast<std::ptrdiff_t>(l) * lineStride;
        for (int i = 0; i < length; ++i) {
            line[static_cast<std::size_t>(i)] = base[static_cast<std::ptrdiff_t>(i) * step];
        }
        int sum = 0;
        for (int i = -half; i <= half; ++i) {
            if (i >= 0 && i < length) {
                sum += line[static_cast<std::size_t>(i)];
            }
        }
        for (int i = 0; i < length; ++i) {
            base[static_cast<std::ptrdiff_t>(i) * step] = static_cast<std::uint8_t>(sum / size);
            const int leaving = i - half;
            const int entering = i + half + 1;
            if (leaving >= 0) {
                sum -= line[static_cast<std::size_t>(leaving)];
            }
            if (entering < length) {
                sum += line[static_cast<std::size_t>(entering)];
            }
        }
    }
}

} // namespace

void drawShadow(cairo_t* cr, const CGRect& bounds, double scale, const RGBA& color, double opacity,
                CGSize offset, double radius, const std::function<void(cairo_t*)>& paintShape) {
    if (opacity <= 0 || color.a <= 0 || bounds.isEmpty()) {
        return;
    }
    const double blurPoints = std::max(0.0, radius);
    const CGRect area = bounds.standardized().insetBy(-blurPoints * 1.5 - 1, -blurPoints * 1.5 - 1);
    const int width = static_cast<int>(std::ceil(area.size.width * scale));
    const int height = static_cast<int>(std::ceil(area.size.height * scale));
    if (width <= 0 || height <= 0 || double(width) * height > 64.0 * 1024 * 1024) {
        return;
    }
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
    cairo_t* maskContext = cairo_create(mask);
    cairo_scale(maskContext, scale, scale);
    cairo_translate(maskContext, -area.origin.x, -area.origin.y);
    paintShape(maskContext);
    cairo_destroy(maskContext);
    cairo_surface_flush(mask);

    // Three box blurs approximate a Gaussian of sigma = radius / 2.
    const double sigma = blurPoints * scale / 2;
    if (sigma >= 0.5) {
        int box = static_cast<int>(std::floor(std::sqrt(4 * sigma * sigma + 1)));
        box += (box % 2 == 0) ? 1 : 0;
        std::uint8_t* data = cairo_image_surface_get_data(mask);
        const int stride = cairo_image_surface_get_stride(mask);
        for (int pass = 0; pass < 3; ++pass) {
            boxBlur(data, height, width, stride, 1, box);
            boxBlur(data, width, height, 1, stride, box);
        }
        cairo_surface_mark_dirty(mask);
    }

    cairo_save(cr);
    cairo_translate(cr, area.origin.x + offset.width, area.origin.y + offset.height);
    cairo_scale(cr, 1 / scale, 1 / scale);
    cairo_set_source_rgba(cr, color.r, color.g, color.b, color.a * opacity);
    cairo_mask_surface(cr, mask, 0, 0);
    cairo_restore(cr);
    cairo_surface_destroy(mask);
}

} // namespace render
