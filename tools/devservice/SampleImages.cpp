#include "tools/devservice/SampleImages.h"

#include <cairo.h>
#include <qrencode.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace devservice {
namespace {

struct ImageKind {
    std::string_view name;
    int width;
    int height;
};

constexpr std::array kKinds = {
    ImageKind{"poster", 300, 420}, ImageKind{"banner", 750, 375}, ImageKind{"background", 750, 420},
    ImageKind{"topic", 690, 432},  ImageKind{"cover", 360, 640},  ImageKind{"portrait", 160, 160},
    ImageKind{"ad", 750, 375},     ImageKind{"qrcode", 200, 200},
};

bool validName(std::string_view name) {
    if (name.empty() || name.size() > 64) {
        return false;
    }
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                        c == '-' || c == '_';
        if (!ok) {
            return false;
        }
    }
    return true;
}

std::uint32_t hashOf(std::string_view kind, std::string_view name) {
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (const std::string_view part : {kind, std::string_view("/"), name}) {
        for (const char c : part) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        }
    }
    return hash;
}

struct Rgb {
    double r, g, b;
};

Rgb colourFromHue(double hue, double saturation, double value) {
    const double c = value * saturation;
    const double h = std::fmod(hue, 360.0) / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    const double m = value - c;
    const std::array<Rgb, 6> sectors = {Rgb{c, x, 0}, Rgb{x, c, 0}, Rgb{0, c, x},
                                        Rgb{0, x, c}, Rgb{x, 0, c}, Rgb{c, 0, x}};
    const Rgb base = sectors[static_cast<std::size_t>(h) % 6];
    return {base.r + m, base.g + m, base.b + m};
}

void drawPicture(cairo_t* cr, int width, int height, std::uint32_t hash) {
    const double hue = hash % 360;
    const Rgb top = colourFromHue(hue, 0.55, 0.85);
    const Rgb bottom = colourFromHue(hue + 40, 0.75, 0.35);
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);

    const int shapes = 3 + static_cast<int>((hash >> 9) % 4);
    for (int i = 0; i < shapes; ++i) {
        const std::uint32_t h = hash * (2654435761u + static_cast<std::uint32_t>(i) * 40503u);
        const double x = (h % 1000) / 1000.0 * width;
        const double y = ((h >> 10) % 1000) / 1000.0 * height;
        const double radius = (0.08 + ((h >> 20) % 100) / 400.0) * std::min(width, height);
        const Rgb tint = colourFromHue(hue + 120 + i * 50, 0.4, 0.95);
        cairo_set_source_rgba(cr, tint.r, tint.g, tint.b, 0.35);
        cairo_arc(cr, x, y, radius, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    cairo_set_source_rgba(cr, 0, 0, 0, 0.35);
    cairo_rectangle(cr, 0, height * 0.8, width, height * 0.2);
    cairo_fill(cr);
}

void drawCodePattern(cairo_t* cr, int width, int height, std::uint32_t hash) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    constexpr int cells = 25;
    const double cell = std::min(width, height) / static_cast<double>(cells + 2);
    std::uint32_t bits = hash;
    for (int row = 0; row < cells; ++row) {
        for (int column = 0; column < cells; ++column) {
            const bool finder =
                (row < 7 || row >= cells - 7) && (column < 7 || (row < 7 && column >= cells - 7));
            bits = bits * 1664525u + 1013904223u;
            const bool dark = finder ? (row % 6 == 0 || column % 6 == 0 ||
                                        (row % 6 >= 2 && row % 6 <= 4 && column % 6 >= 2 && column % 6 <= 4))
                                     : ((bits >> 16) & 1) != 0;
            if (dark) {
                cairo_rectangle(cr, (column + 1) * cell, (row + 1) * cell, cell, cell);
            }
        }
    }
    cairo_fill(cr);
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

std::optional<std::string> renderSampleImage(std::string_view kind, std::string_view name) {
    const ImageKind* found = nullptr;
    for (const auto& candidate : kKinds) {
        if (candidate.name == kind) {
            found = &candidate;
        }
    }
    if (found == nullptr || !validName(name)) {
        return std::nullopt;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, found->width, found->height);
    cairo_t* cr = cairo_create(surface);
    const std::uint32_t hash = hashOf(kind, name);
    if (kind == "qrcode") {
        drawCodePattern(cr, found->width, found->height, hash);
    } else {
        drawPicture(cr, found->width, found->height, hash);
    }
    cairo_destroy(cr);
    std::string png;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendBytes, &png);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        return std::nullopt;
    }
    return png;
}

std::optional<std::string> renderQrCode(const std::string& text, int minimumSize) {
    QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (code == nullptr) {
        return std::nullopt;
    }
    constexpr int quietZone = 4;
    const int modules = code->width + 2 * quietZone;
    const int scale = std::max(1, (minimumSize + modules - 1) / modules);
    const int size = modules * scale;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (int row = 0; row < code->width; ++row) {
        for (int column = 0; column < code->width; ++column) {
            // The lowest bit of each module says whether it is dark.
            if ((code->data[row * code->width + column] & 1) != 0) {
                cairo_rectangle(cr, (column + quietZone) * scale, (row + quietZone) * scale, scale, scale);
            }
        }
    }
    cairo_fill(cr);
    cairo_destroy(cr);
    QRcode_free(code);
    std::string png;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendBytes, &png);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        return std::nullopt;
    }
    return png;
}

} // namespace devservice
