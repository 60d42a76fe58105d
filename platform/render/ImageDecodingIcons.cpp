#include "platform/render/ImageDecodingIcons.h"

#include "platform/Foundation/HexDigit.h"
#include "platform/render/ImageDecoding.h"
#include "platform/render/ImageDecodingIconsPath.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace render {
namespace {

using namespace icons;

// Groups nested deeper than this are left to the full renderer.
constexpr std::size_t kMaxDepth = 64;

struct Color {
    double red = 0, green = 0, blue = 0;
};

// A plain colour, or the gradient of that id.
struct Paint {
    Color color;
    std::string gradient;
};

// What a shape inherits from its ancestors.
struct Presentation {
    std::optional<Paint> fill = Paint{};
    std::optional<Paint> stroke;
    double fillOpacity = 1;
    double strokeOpacity = 1;
    double strokeWidth = 1;
    cairo_line_cap_t lineCap = CAIRO_LINE_CAP_BUTT;
    cairo_line_join_t lineJoin = CAIRO_LINE_JOIN_MITER;
};

// "#rgb" or "#rrggbb"; nothing for anything else.
std::optional<Color> colorValue(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || text.front() != '#' || (text.size() != 4 && text.size() != 7)) {
        return std::nullopt;
    }
    int digits[6];
    for (std::size_t i = 1; i < text.size(); ++i) {
        digits[i - 1] = hexDigitValue(text[i]);
        if (digits[i - 1] < 0) {
            return std::nullopt;
        }
    }
    const auto channel = [&](int index) {
        return text.size() == 4 ? digits[index] * 17 / 255.0
                                : (digits[2 * index] * 16 + digits[2 * index + 1]) / 255.0;
    };
    return Color{channel(0), channel(1), channel(2)};
}

// The id in "url(#id)"; nothing for any other value.
std::optional<std::string> reference(std::string_view text) {
    text = trimmed(text);
    if (!text.starts_with("url(#") || !text.ends_with(")") || text.size() <= 6) {
        return std::nullopt;
    }
    return std::string(text.substr(5, text.size() - 6));
}

// "none" (an empty paint), a colour or a gradient's "url(#id)"; nothing for anything else.
std::optional<std::optional<Paint>> paintValue(std::string_view text) {
    if (trimmed(text) == "none") {
        return std::optional<Paint>();
    }
    if (auto id = reference(text)) {
        return std::optional<Paint>(Paint{Color{}, std::move(*id)});
    }
    if (const auto color = colorValue(text)) {
        return std::optional<Paint>(Paint{*color, {}});
    }
    return std::nullopt;
}

// A number, or a percentage of 1; `percent` tells which it was.
std::optional<double> fractionValue(std::string_view text, bool& percent) {
    text = trimmed(text);
    percent = text.ends_with("%");
    if (percent) {
        text.remove_suffix(1);
    }
    double value = 0;
    if (!readNumber(text, value) || !text.empty()) {
        return std::nullopt;
    }
    return percent ? value / 100 : value;
}

struct GradientStop {
    double offset = 0;
    Color color;
    double opacity = 1;
};

// A linear or radial gradient, its geometry in the shape's bounding box (fractions of
// it) unless it is in user space.
struct Gradient {
    bool radial = false;
    bool userSpace = false;
    bool percentages = false;
    double x1 = 0, y1 = 0, x2 = 1, y2 = 0;
    double cx = 0.5, cy = 0.5, r = 0.5;
    std::optional<double> fx, fy;
    std::vector<GradientStop> stops;
};

// A shape's outline as its attributes give it.
struct Shape {
    std::string element;
    std::optional<std::string> data;           // path
    double geometry[6] = {0, 0, 0, 0, -1, -1}; // x/cx, y/cy, width/r/rx, height/ry, rx, ry
    bool sized[4] = {false, false, false, false};
};

// Reads one of `shape`'s geometry attributes; false when `name` is none of them, or its
// value is not a length (then `malformed`).
bool shapeAttribute(Shape& shape, std::string_view name, std::string_view value, bool& malformed) {
    const std::string_view element = shape.element;
    if (element == "path" && name == "d") {
        shape.data = std::string(value);
        return true;
    }
    int slot = -1;
    if (element == "rect") {
        slot = name == "x"        ? 0
               : name == "y"      ? 1
               : name == "width"  ? 2
               : name == "height" ? 3
               : name == "rx"     ? 4
               : name == "ry"     ? 5
                                  : -1;
    } else if (element == "circle") {
        slot = name == "cx" ? 0 : name == "cy" ? 1 : name == "r" ? 2 : -1;
    } else if (element == "ellipse") {
        slot = name == "cx" ? 0 : name == "cy" ? 1 : name == "rx" ? 2 : name == "ry" ? 3 : -1;
    }
    if (slot < 0) {
        return false;
    }
    const auto length = lengthValue(value);
    malformed = !length;
    if (length) {
        shape.geometry[slot] = *length;
        if (slot < 4) {
            shape.sized[slot] = true;
        }
    }
    return true;
}

// Adds `shape`'s outline to the current path; `drawn` false when it has no area to
// draw. False when the shape is malformed.
bool addShape(cairo_t* cr, const Shape& shape, bool& drawn) {
    const double* geometry = shape.geometry;
    drawn = true;
    if (shape.element == "path") {
        return shape.data && addPathData(cr, *shape.data);
    }
    if (shape.element == "circle") {
        if (geometry[2] < 0) {
            return false;
        }
        drawn = geometry[2] > 0;
        if (drawn) {
            addEllipse(cr, geometry[0], geometry[1], geometry[2], geometry[2]);
        }
        return true;
    }
    if (shape.element == "ellipse") {
        if (geometry[2] < 0 || geometry[3] < 0 || !shape.sized[2] || !shape.sized[3]) {
            return false;
        }
        drawn = geometry[2] > 0 && geometry[3] > 0;
        if (drawn) {
            addEllipse(cr, geometry[0], geometry[1], geometry[2], geometry[3]);
        }
        return true;
    }
    const double width = geometry[2];
    const double height = geometry[3];
    if (!shape.sized[2] || !shape.sized[3] || width < 0 || height < 0) {
        return false;
    }
    drawn = width > 0 && height > 0;
    double rx = geometry[4];
    double ry = geometry[5];
    if (rx < 0 && ry >= 0) {
        rx = ry;
    } else if (ry < 0 && rx >= 0) {
        ry = rx;
    }
    rx = std::clamp(rx, 0.0, width / 2);
    ry = std::clamp(ry, 0.0, height / 2);
    if (drawn && (rx == 0 || ry == 0)) {
        cairo_rectangle(cr, geometry[0], geometry[1], width, height);
    } else if (drawn) {
        addRoundedRectangle(cr, geometry[0], geometry[1], width, height, rx, ry);
    }
    return true;
}

// The document as GMarkup reads it, drawn element by element.
class IconDrawing {
  public:
    explicit IconDrawing(double scale) : scale_(scale) {}

    ~IconDrawing() {
        if (cr_ != nullptr) {
            cairo_destroy(cr_);
        }
        if (surface_ != nullptr) {
            cairo_surface_destroy(surface_);
        }
    }

    // Whether everything so far was understood.
    bool understood() const { return understood_; }

    // The drawn picture, once the whole document was read and understood.
    std::optional<CGImageRef> finish() {
        if (!understood_ || !rootSeen_ || !levels_.empty()) {
            return std::nullopt;
        }
        if (surface_ == nullptr) {
            return CGImageRef();
        }
        if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
            return std::nullopt;
        }
        cairo_destroy(cr_);
        cr_ = nullptr;
        cairo_surface_flush(surface_);
        cairo_surface_t* surface = surface_;
        surface_ = nullptr;
        return CGImage::adopt(surface);
    }

    void start(const char* element, const char** names, const char** values) {
        if (!understood_) {
            return;
        }
        if (levels_.size() >= kMaxDepth) {
            understood_ = false;
            return;
        }
        const std::string_view name(element);
        if (!rootSeen_) {
            rootSeen_ = true;
            if (name != "svg") {
                understood_ = false;
                return;
            }
            startRoot(names, values);
            return;
        }
        const bool shape = name == "path" || name == "circle" || name == "ellipse" || name == "rect";
        switch (levels_.empty() ? Kind::drawing : levels_.back().kind) {
        case Kind::drawing:
            if (name == "g") {
                startGroup(names, values);
            } else if (shape) {
                drawShape(name, names, values);
            } else if (name == "defs" && *names == nullptr) {
                push(Kind::definitions);
            } else {
                understood_ = false;
            }
            break;
        case Kind::definitions:
            if (name == "linearGradient" || name == "radialGradient") {
                startGradient(name == "radialGradient", names, values);
            } else if (name == "clipPath") {
                startClip(names, values);
            } else {
                understood_ = false;
            }
            break;
        case Kind::gradient:
            if (name == "stop") {
                addStop(names, values);
            } else {
                understood_ = false;
            }
            break;
        case Kind::clip:
            if (shape) {
                addClipShape(name, names, values);
            } else {
                understood_ = false;
            }
            break;
        case Kind::leaf:
            understood_ = false;
            break;
        }
    }

    void end() {
        if (!understood_ || levels_.empty()) {
            return;
        }
        if (levels_.back().grouped && cr_ != nullptr) {
            cairo_pop_group_to_source(cr_);
            cairo_paint_with_alpha(cr_, levels_.back().opacity);
        }
        levels_.pop_back();
    }

  private:
    // What an element holds: drawn content, definitions, a gradient's stops, a clip
    // path's shapes, or nothing (a shape or stop).
    enum class Kind { drawing, definitions, gradient, clip, leaf };

    struct Level {
        Kind kind = Kind::drawing;
        Presentation presentation;
        bool grouped = false;
        double opacity = 1;
    };

    // Reads a presentation attribute into `presentation` (or the element's opacity);
    // false when the attribute is one this drawing does not know.
    bool presentationAttribute(std::string_view name, std::string_view value, Presentation& presentation,
                               double& opacity) {
        if (name == "fill" || name == "stroke") {
            const auto paint = paintValue(value);
            if (!paint) {
                return false;
            }
            (name == "fill" ? presentation.fill : presentation.stroke) = *paint;
        } else if (name == "fill-opacity" || name == "stroke-opacity" || name == "opacity") {
            const auto unit = unitValue(value);
            if (!unit) {
                return false;
            }
            (name == "fill-opacity"     ? presentation.fillOpacity
             : name == "stroke-opacity" ? presentation.strokeOpacity
                                        : opacity) = *unit;
        } else if (name == "stroke-width") {
            const auto width = lengthValue(value);
            if (!width || *width < 0) {
                return false;
            }
            presentation.strokeWidth = *width;
        } else if (name == "stroke-linecap") {
            value = trimmed(value);
            if (value == "butt") {
                presentation.lineCap = CAIRO_LINE_CAP_BUTT;
            } else if (value == "round") {
                presentation.lineCap = CAIRO_LINE_CAP_ROUND;
            } else if (value == "square") {
                presentation.lineCap = CAIRO_LINE_CAP_SQUARE;
            } else {
                return false;
            }
        } else if (name == "stroke-linejoin") {
            value = trimmed(value);
            if (value == "miter") {
                presentation.lineJoin = CAIRO_LINE_JOIN_MITER;
            } else if (value == "round") {
                presentation.lineJoin = CAIRO_LINE_JOIN_ROUND;
            } else if (value == "bevel") {
                presentation.lineJoin = CAIRO_LINE_JOIN_BEVEL;
            } else {
                return false;
            }
        } else {
            return name == "id";
        }
        return true;
    }

    const Presentation& inherited() const {
        static const Presentation initial;
        return levels_.empty() ? initial : levels_.back().presentation;
    }

    // A level that draws nothing.
    void push(Kind kind) { levels_.push_back(Level{kind, inherited(), false, 1}); }

    void push(Presentation presentation, double opacity, Kind kind = Kind::drawing) {
        Level level{kind, std::move(presentation), opacity < 1, opacity};
        if (level.grouped && cr_ != nullptr) {
            cairo_push_group(cr_);
        }
        levels_.push_back(std::move(level));
    }

    void startRoot(const char** names, const char** values) {
        Presentation presentation = inherited();
        double opacity = 1;
        std::optional<double> width, height;
        std::optional<std::array<double, 4>> viewBox;
        for (; *names != nullptr; ++names, ++values) {
            const std::string_view name(*names);
            if (name == "width" || name == "height") {
                const auto length = lengthValue(*values);
                if (!length) {
                    understood_ = false;
                    return;
                }
                (name == "width" ? width : height) = *length;
            } else if (name == "viewBox") {
                std::string_view text(*values);
                std::array<double, 4> box{};
                for (double& part : box) {
                    while (!text.empty() && isSeparator(text.front())) {
                        text.remove_prefix(1);
                    }
                    if (!readNumber(text, part)) {
                        understood_ = false;
                        return;
                    }
                }
                if (!trimmed(text).empty() || !(box[2] > 0) || !(box[3] > 0)) {
                    understood_ = false;
                    return;
                }
                viewBox = box;
            } else if (name == "xmlns" || name == "version") {
                continue;
            } else if (!presentationAttribute(name, *values, presentation, opacity)) {
                understood_ = false;
                return;
            }
        }
        if (!width || !height || *width < 0 || *height < 0) {
            understood_ = false;
            return;
        }
        const double pixelWidth = std::ceil(*width * scale_ - 1e-9);
        const double pixelHeight = std::ceil(*height * scale_ - 1e-9);
        if (pixelWidth >= 1 && pixelHeight >= 1 && pixelWidth * pixelHeight <= kMaxDecodedPixels) {
            surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(pixelWidth), int(pixelHeight));
            cr_ = cairo_create(surface_);
            // The view box fills the viewport, centred, its aspect kept.
            cairo_scale(cr_, scale_, scale_);
            if (viewBox) {
                const auto [minX, minY, boxWidth, boxHeight] = *viewBox;
                const double fit = std::min(*width / boxWidth, *height / boxHeight);
                cairo_translate(cr_, (*width - boxWidth * fit) / 2, (*height - boxHeight * fit) / 2);
                cairo_scale(cr_, fit, fit);
                cairo_translate(cr_, -minX, -minY);
            }
            cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
            cairo_set_miter_limit(cr_, 4);
        }
        push(std::move(presentation), opacity);
    }

    void startGroup(const char** names, const char** values) {
        Presentation presentation = inherited();
        double opacity = 1;
        for (; *names != nullptr; ++names, ++values) {
            if (!presentationAttribute(*names, *values, presentation, opacity)) {
                understood_ = false;
                return;
            }
        }
        push(std::move(presentation), opacity);
    }

    void drawShape(std::string_view element, const char** names, const char** values) {
        Presentation presentation = inherited();
        double opacity = 1;
        Shape shape;
        shape.element = std::string(element);
        std::optional<std::string> clip;
        for (; *names != nullptr; ++names, ++values) {
            const std::string_view name(*names);
            bool malformed = false;
            if (shapeAttribute(shape, name, *values, malformed)) {
                if (malformed) {
                    understood_ = false;
                    return;
                }
            } else if (name == "clip-path") {
                clip = reference(*values);
                if (!clip) {
                    understood_ = false;
                    return;
                }
            } else if (!presentationAttribute(name, *values, presentation, opacity)) {
                understood_ = false;
                return;
            }
        }
        if (clip && (opacity < 1 || !clips_.contains(*clip))) {
            understood_ = false;
            return;
        }
        push(presentation, opacity, Kind::leaf);
        if (cr_ == nullptr) {
            return;
        }
        cairo_save(cr_);
        cairo_new_path(cr_);
        bool drawn = true;
        if (clip) {
            for (const Shape& part : clips_.at(*clip)) {
                bool partDrawn = true;
                addShape(cr_, part, partDrawn);
            }
            cairo_clip(cr_);
        }
        if (!addShape(cr_, shape, drawn)) {
            understood_ = false;
        } else if (drawn) {
            paint(presentation);
        }
        cairo_new_path(cr_);
        cairo_restore(cr_);
    }

    void startGradient(bool radial, const char** names, const char** values) {
        Gradient gradient;
        gradient.radial = radial;
        std::string id;
        for (; *names != nullptr; ++names, ++values) {
            const std::string_view name(*names);
            if (name == "id") {
                id = *values;
                continue;
            }
            if (name == "gradientUnits") {
                const std::string_view units = trimmed(*values);
                if (units != "userSpaceOnUse" && units != "objectBoundingBox") {
                    understood_ = false;
                    return;
                }
                gradient.userSpace = units == "userSpaceOnUse";
                continue;
            }
            double* target = nullptr;
            if (radial) {
                target = name == "cx"   ? &gradient.cx
                         : name == "cy" ? &gradient.cy
                         : name == "r"  ? &gradient.r
                                        : nullptr;
                if (name == "fx" || name == "fy") {
                    target = &(name == "fx" ? gradient.fx : gradient.fy).emplace();
                }
            } else {
                target = name == "x1"   ? &gradient.x1
                         : name == "y1" ? &gradient.y1
                         : name == "x2" ? &gradient.x2
                         : name == "y2" ? &gradient.y2
                                        : nullptr;
            }
            bool percent = false;
            const auto value = target != nullptr ? fractionValue(*values, percent) : std::nullopt;
            if (!value) {
                understood_ = false;
                return;
            }
            *target = *value;
            gradient.percentages = gradient.percentages || percent;
        }
        // Percentages in user space are of the viewport, which this drawing leaves to
        // the full renderer, as gradients without an id.
        if (id.empty() || (gradient.userSpace && gradient.percentages) || gradient.r < 0) {
            understood_ = false;
            return;
        }
        currentGradient_ = &gradients_[id];
        *currentGradient_ = std::move(gradient);
        push(Kind::gradient);
    }

    void addStop(const char** names, const char** values) {
        GradientStop stop;
        for (; *names != nullptr; ++names, ++values) {
            const std::string_view name(*names);
            bool percent = false;
            std::optional<double> number;
            std::optional<Color> color;
            if (name == "offset" && (number = fractionValue(*values, percent))) {
                stop.offset = std::clamp(*number, 0.0, 1.0);
            } else if (name == "stop-color" && (color = colorValue(*values))) {
                stop.color = *color;
            } else if (name == "stop-opacity" && (number = unitValue(*values))) {
                // Kept as librsvg keeps it: in steps of 1/255.
                stop.opacity = std::round(*number * 255) / 255;
            } else if (name != "id") {
                understood_ = false;
                return;
            }
        }
        // Offsets never go back.
        if (!currentGradient_->stops.empty()) {
            stop.offset = std::max(stop.offset, currentGradient_->stops.back().offset);
        }
        currentGradient_->stops.push_back(stop);
        push(Kind::leaf);
    }

    void startClip(const char** names, const char** values) {
        std::string id;
        for (; *names != nullptr; ++names, ++values) {
            if (std::string_view(*names) != "id") {
                understood_ = false;
                return;
            }
            id = *values;
        }
        if (id.empty()) {
            understood_ = false;
            return;
        }
        currentClip_ = &clips_[id];
        currentClip_->clear();
        push(Kind::clip);
    }

    void addClipShape(std::string_view element, const char** names, const char** values) {
        Shape shape;
        shape.element = std::string(element);
        for (; *names != nullptr; ++names, ++values) {
            bool malformed = false;
            if (!shapeAttribute(shape, *names, *values, malformed) || malformed) {
                understood_ = false;
                return;
            }
        }
        currentClip_->push_back(std::move(shape));
        push(Kind::leaf);
    }

    // The source for a gradient paint over the current path; null when it paints nothing.
    cairo_pattern_t* gradientSource(const Gradient& gradient) {
        double left = 0, top = 0, right = 0, bottom = 0;
        cairo_path_extents(cr_, &left, &top, &right, &bottom);
        if (gradient.stops.empty() || (!gradient.userSpace && (right <= left || bottom <= top))) {
            return nullptr;
        }
        cairo_pattern_t* pattern =
            gradient.radial ? cairo_pattern_create_radial(gradient.fx.value_or(gradient.cx),
                                                          gradient.fy.value_or(gradient.cy), 0, gradient.cx,
                                                          gradient.cy, gradient.r)
                            : cairo_pattern_create_linear(gradient.x1, gradient.y1, gradient.x2, gradient.y2);
        for (const GradientStop& stop : gradient.stops) {
            cairo_pattern_add_color_stop_rgba(pattern, stop.offset, stop.color.red, stop.color.green,
                                              stop.color.blue, stop.opacity);
        }
        cairo_pattern_set_extend(pattern, CAIRO_EXTEND_PAD);
        if (!gradient.userSpace) {
            // The pattern's geometry is in fractions of the shape's bounding box.
            cairo_matrix_t box;
            cairo_matrix_init(&box, right - left, 0, 0, bottom - top, left, top);
            cairo_matrix_invert(&box);
            cairo_pattern_set_matrix(pattern, &box);
        }
        return pattern;
    }

    void paint(const Presentation& presentation) {
        if (presentation.fill && !presentation.fill->gradient.empty()) {
            const auto gradient = gradients_.find(presentation.fill->gradient);
            if (gradient == gradients_.end() || presentation.fillOpacity < 1) {
                understood_ = false;
                return;
            }
            if (cairo_pattern_t* source = gradientSource(gradient->second)) {
                cairo_set_source(cr_, source);
                cairo_fill_preserve(cr_);
                cairo_pattern_destroy(source);
            }
        } else if (presentation.fill) {
            const Color& color = presentation.fill->color;
            cairo_set_source_rgba(cr_, color.red, color.green, color.blue, presentation.fillOpacity);
            cairo_fill_preserve(cr_);
        }
        if (presentation.stroke && !presentation.stroke->gradient.empty()) {
            understood_ = false;
            return;
        }
        if (presentation.stroke && presentation.strokeWidth > 0) {
            const Color& color = presentation.stroke->color;
            cairo_set_source_rgba(cr_, color.red, color.green, color.blue, presentation.strokeOpacity);
            cairo_set_line_width(cr_, presentation.strokeWidth);
            cairo_set_line_cap(cr_, presentation.lineCap);
            cairo_set_line_join(cr_, presentation.lineJoin);
            cairo_stroke_preserve(cr_);
        }
    }

    double scale_;
    bool understood_ = true;
    bool rootSeen_ = false;
    std::vector<Level> levels_;
    std::map<std::string, Gradient> gradients_;
    std::map<std::string, std::vector<Shape>> clips_;
    // The gradient or clip path whose children are being read.
    Gradient* currentGradient_ = nullptr;
    std::vector<Shape>* currentClip_ = nullptr;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
};

void startElement(GMarkupParseContext*, const char* element, const char** names, const char** values,
                  gpointer data, GError**) {
    static_cast<IconDrawing*>(data)->start(element, names, values);
}

void endElement(GMarkupParseContext*, const char*, gpointer data, GError**) {
    static_cast<IconDrawing*>(data)->end();
}

} // namespace

std::optional<CGImageRef> renderSimpleSVG(std::string_view bytes, double scale) {
    if (bytes.empty() || !(scale > 0) || !std::isfinite(scale) || bytes.size() > G_MAXSSIZE) {
        return std::nullopt;
    }
    IconDrawing drawing(scale);
    GMarkupParser parser{};
    parser.start_element = startElement;
    parser.end_element = endElement;
    GMarkupParseContext* context =
        g_markup_parse_context_new(&parser, GMarkupParseFlags(0), &drawing, nullptr);
    const bool parsed =
        g_markup_parse_context_parse(context, bytes.data(), static_cast<gssize>(bytes.size()), nullptr) &&
        g_markup_parse_context_end_parse(context, nullptr);
    g_markup_parse_context_free(context);
    if (!parsed || !drawing.understood()) {
        return std::nullopt;
    }
    return drawing.finish();
}

} // namespace render
