#include "platform/render/ImageDecoding.h"

#include "platform/render/ImageDecodingIcons.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <librsvg/rsvg.h>

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace render {
namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

bool looksLikeSVG(std::string_view bytes) {
    std::string_view head = bytes.substr(0, 4096);
    if (startsWith(head, "\xEF\xBB\xBF")) {
        head.remove_prefix(3);
    }
    std::size_t first = 0;
    while (first < head.size() && std::isspace(static_cast<unsigned char>(head[first]))) {
        ++first;
    }
    return first < head.size() && head[first] == '<' && head.find("<svg") != std::string_view::npos;
}

// Copies straight RGB(A) pixels into a new premultiplied ARGB32 image.
CGImageRef imageFromPixbuf(GdkPixbuf* pixbuf) {
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    if (gdk_pixbuf_get_bits_per_sample(pixbuf) != 8 ||
        gdk_pixbuf_get_colorspace(pixbuf) != GDK_COLORSPACE_RGB || (channels != 3 && channels != 4)) {
        return nullptr;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    const guchar* source = gdk_pixbuf_read_pixels(pixbuf);
    const int sourceStride = gdk_pixbuf_get_rowstride(pixbuf);
    unsigned char* target = cairo_image_surface_get_data(surface);
    const int targetStride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < height; ++y) {
        const guchar* in = source + static_cast<std::ptrdiff_t>(y) * sourceStride;
        auto* out = reinterpret_cast<std::uint32_t*>(target + static_cast<std::ptrdiff_t>(y) * targetStride);
        for (int x = 0; x < width; ++x, in += channels) {
            const std::uint32_t a = channels == 4 ? in[3] : 255;
            const std::uint32_t r = (in[0] * a + 127) / 255;
            const std::uint32_t g = (in[1] * a + 127) / 255;
            const std::uint32_t b = (in[2] * a + 127) / 255;
            out[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
    return CGImage::adopt(surface);
}

void rememberSize(GdkPixbufLoader*, int width, int height, gpointer tooLarge) {
    if (double(width) * double(height) > kMaxDecodedPixels) {
        *static_cast<bool*>(tooLarge) = true;
    }
}

// librsvg, loaded by the first document the icon drawing leaves to it and kept (it
// registers types with GObject that must outlive the process's use of them). Loaded on
// first use because it is large: some 6 MiB resident once it has drawn, which the
// application's icons do not need.
struct Rsvg {
    decltype(&rsvg_handle_new_from_data) newFromData = nullptr;
    decltype(&rsvg_handle_get_intrinsic_size_in_pixels) intrinsicSizeInPixels = nullptr;
    decltype(&rsvg_handle_get_intrinsic_dimensions) intrinsicDimensions = nullptr;
    decltype(&rsvg_handle_render_document) renderDocument = nullptr;
};

const Rsvg* loadedRsvg() {
    static const Rsvg* const loaded = []() -> const Rsvg* {
        void* library = dlopen("librsvg-2.so.2", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            return nullptr;
        }
        Rsvg functions;
        functions.newFromData =
            reinterpret_cast<decltype(functions.newFromData)>(dlsym(library, "rsvg_handle_new_from_data"));
        functions.intrinsicSizeInPixels = reinterpret_cast<decltype(functions.intrinsicSizeInPixels)>(
            dlsym(library, "rsvg_handle_get_intrinsic_size_in_pixels"));
        functions.intrinsicDimensions = reinterpret_cast<decltype(functions.intrinsicDimensions)>(
            dlsym(library, "rsvg_handle_get_intrinsic_dimensions"));
        functions.renderDocument = reinterpret_cast<decltype(functions.renderDocument)>(
            dlsym(library, "rsvg_handle_render_document"));
        if (!functions.newFromData || !functions.intrinsicSizeInPixels || !functions.intrinsicDimensions ||
            !functions.renderDocument) {
            return nullptr;
        }
        return new Rsvg(functions);
    }();
    return loaded;
}
} // namespace

ImageFormat sniffImageFormat(std::string_view bytes) {
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n")) {
        return ImageFormat::png;
    }
    if (startsWith(bytes, "\xFF\xD8\xFF")) {
        return ImageFormat::jpeg;
    }
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) {
        return ImageFormat::gif;
    }
    if (bytes.size() >= 12 && startsWith(bytes, "RIFF") && bytes.substr(8, 4) == "WEBP") {
        return ImageFormat::webp;
    }
    if (looksLikeSVG(bytes)) {
        return ImageFormat::svg;
    }
    return ImageFormat::other;
}

CGImageRef decodeRaster(std::string_view bytes) {
    // Only the formats the application serves reach gdk-pixbuf: its other loaders
    // (icons, cursors, old bitmap formats) are not offered data from the network.
    const char* type = nullptr;
    switch (sniffImageFormat(bytes)) {
    case ImageFormat::png:
        type = "png";
        break;
    case ImageFormat::jpeg:
        type = "jpeg";
        break;
    case ImageFormat::webp:
        type = "webp";
        break;
    default:
        return nullptr;
    }
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type(type, nullptr);
    if (loader == nullptr) {
        return nullptr;
    }
    bool tooLarge = false;
    g_signal_connect(loader, "size-prepared", G_CALLBACK(rememberSize), &tooLarge);
    const bool written =
        gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(bytes.data()), bytes.size(), nullptr);
    const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
    CGImageRef image;
    if (written && closed && !tooLarge) {
        if (GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader)) {
            // Photos taken sideways carry their orientation in EXIF; show them upright.
            GdkPixbuf* upright = gdk_pixbuf_apply_embedded_orientation(pixbuf);
            if (upright != nullptr) {
                image = imageFromPixbuf(upright);
                g_object_unref(upright);
            }
        }
    }
    g_object_unref(loader);
    return image;
}

CGImageRef renderSVG(std::string_view bytes, double scale) {
    if (bytes.empty() || !(scale > 0)) {
        return nullptr;
    }
    if (const auto icon = renderSimpleSVG(bytes, scale)) {
        return *icon;
    }
    const Rsvg* rsvg = loadedRsvg();
    if (rsvg == nullptr) {
        return nullptr;
    }
    RsvgHandle* handle =
        rsvg->newFromData(reinterpret_cast<const guint8*>(bytes.data()), bytes.size(), nullptr);
    if (handle == nullptr) {
        return nullptr;
    }
    double width = 0, height = 0;
    if (!rsvg->intrinsicSizeInPixels(handle, &width, &height)) {
        gboolean hasWidth = FALSE, hasHeight = FALSE, hasViewBox = FALSE;
        RsvgLength w, h;
        RsvgRectangle viewBox;
        rsvg->intrinsicDimensions(handle, &hasWidth, &w, &hasHeight, &h, &hasViewBox, &viewBox);
        if (hasViewBox) {
            width = viewBox.width;
            height = viewBox.height;
        }
    }
    const double pixelWidth = std::ceil(width * scale - 1e-9);
    const double pixelHeight = std::ceil(height * scale - 1e-9);
    if (!(pixelWidth >= 1 && pixelHeight >= 1) || pixelWidth * pixelHeight > kMaxDecodedPixels) {
        g_object_unref(handle);
        return nullptr;
    }
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(pixelWidth), int(pixelHeight));
    cairo_t* cr = cairo_create(surface);
    RsvgRectangle viewport{0, 0, width * scale, height * scale};
    const bool rendered = rsvg->renderDocument(handle, cr, &viewport, nullptr);
    cairo_destroy(cr);
    g_object_unref(handle);
    if (!rendered) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return CGImage::adopt(surface);
}

std::optional<DecodedImage> decodeImage(std::string_view bytes, double svgScale) {
    DecodedImage decoded;
    switch (sniffImageFormat(bytes)) {
    case ImageFormat::gif: {
        auto frames = decodeGIF(bytes);
        if (!frames) {
            return std::nullopt;
        }
        decoded.frames = std::move(*frames);
        return decoded;
    }
    case ImageFormat::svg:
        if (CGImageRef image = renderSVG(bytes, svgScale)) {
            decoded.frames.push_back({image, std::nullopt});
            decoded.scale = svgScale;
            return decoded;
        }
        return std::nullopt;
    default:
        if (CGImageRef image = decodeRaster(bytes)) {
            decoded.frames.push_back({image, std::nullopt});
            return decoded;
        }
        return std::nullopt;
    }
}

} // namespace render
