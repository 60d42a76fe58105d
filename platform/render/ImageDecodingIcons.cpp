#include "platform/render/ImageDecodingIcons.h"

#include "platform/render/ImageDecoding.h"
#include "platform/render/ImageDecodingIconsPath.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace render {
namespace {

using namespace icons;

// Groups nested deeper than this are left to the full renderer.
constexpr std::size_t kMaxDepth = 64;

struct Color {
    double red = 0, green = 0, blue = 0;
};

// What a shape inherits from its ancestors.
struct Presentation {
    std::optional<Color> fill = Color{};
    std::optional<Color> stroke;
    double fillOpacity = 1;
    double strokeOpacity = 1;
    double strokeWidth = 1;
    cairo_line_cap_t lineCap = CAIRO_LINE_CAP_BUTT;
    cairo_line_join_t lineJoin = CAIRO_LINE_JOIN_MITER;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// "none" (an empty paint) or "#rgb" / "#rrggbb"; nothing for anything else.
std::optional<std::optional<Color>> paintValue(std::string_view text) {
    text = trimmed(text);
    if (text == "none") {
        return std::optional<Color>();
    }
    if (text.empty() || text.front() != '#' || (text.size() != 4 && text.size() != 7)) {
        return std::nullopt;
    }
    int digits[6];
    for (std::size_t i = 1; i < text.size(); ++i) {
        digits[i - 1] = hexDigit(text[i]);
        if (digits[i - 1] < 0) {
            return std::nullopt;
        }
    }
    const auto channel = [&](int index) {
        return text.size() == 4 ? digits[index] * 17 / 255.0
                                : (digits[2 * index] * 16 + digits[2 * index + 1]) / 255.0;
    };
    return std::optional<Color>(Color{channel(0), channel(1), channel(2)});
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
        if (name == "g") {
            startGroup(names, values);
        } else if (name == "path" || name == "circle" || name == "ellipse" || name == "rect") {
            drawShape(name, names, values);
        } else {
            understood_ = false;
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
    struct Level {
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

    void push(Presentation presentation, double opacity) {
        Level level{std::move(presentation), opacity < 1, opacity};
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
        std::optional<std::string_view> data;
        double geometry[6] = {0, 0, 0, 0, -1, -1}; // x/cx, y/cy, width/r/rx, height/ry, rx, ry
        bool sized[4] = {false, false, false, false};
        for (; *names != nullptr; ++names, ++values) {
            const std::string_view name(*names);
            int slot = -1;
            if (element == "path" && name == "d") {
                data = *values;
                continue;
            }
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
            if (slot >= 0) {
                const auto length = lengthValue(*values);
                if (!length) {
                    understood_ = false;
                    return;
                }
                geometry[slot] = *length;
                if (slot < 4) {
                    sized[slot] = true;
                }
                continue;
            }
            if (!presentationAttribute(name, *values, presentation, opacity)) {
                understood_ = false;
                return;
            }
        }
        push(presentation, opacity);
        if (cr_ == nullptr) {
            return;
        }
        cairo_new_path(cr_);
        bool drawn = true;
        if (element == "path") {
            if (!data || !addPathData(cr_, *data)) {
                understood_ = false;
                return;
            }
        } else if (element == "circle") {
            drawn = geometry[2] > 0;
            if (geometry[2] < 0) {
                understood_ = false;
                return;
            }
            if (drawn) {
                addEllipse(cr_, geometry[0], geometry[1], geometry[2], geometry[2]);
            }
        } else if (element == "ellipse") {
            if (geometry[2] < 0 || geometry[3] < 0 || !sized[2] || !sized[3]) {
                understood_ = false;
                return;
            }
            drawn = geometry[2] > 0 && geometry[3] > 0;
            if (drawn) {
                addEllipse(cr_, geometry[0], geometry[1], geometry[2], geometry[3]);
            }
        } else {
            const double width = geometry[2];
            const double height = geometry[3];
            if (!sized[2] || !sized[3] || width < 0 || height < 0) {
                understood_ = false;
                return;
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
                cairo_rectangle(cr_, geometry[0], geometry[1], width, height);
            } else if (drawn) {
                addRoundedRectangle(cr_, geometry[0], geometry[1], width, height, rx, ry);
            }
        }
        if (drawn) {
            paint(presentation);
        }
        cairo_new_path(cr_);
    }

    void paint(const Presentation& presentation) {
        if (presentation.fill) {
            cairo_set_source_rgba(cr_, presentation.fill->red, presentation.fill->green,
                                  presentation.fill->blue, presentation.fillOpacity);
            cairo_fill_preserve(cr_);
        }
        if (presentation.stroke && presentation.strokeWidth > 0) {
            cairo_set_source_rgba(cr_, presentation.stroke->red, presentation.stroke->green,
                                  presentation.stroke->blue, presentation.strokeOpacity);
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
