#pragma once

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gif_lib.h>

#include <cstdint>
#include <string>
#include <vector>

// Encoded images made on the spot for decoding tests.
namespace imagefixtures {

// A PNG of width x height: opaque red with a half-transparent blue pixel at (0, 0).
inline std::string png(int width, int height) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, 0, 0, 1, 0.5);
    cairo_rectangle(cr, 0, 0, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    std::string bytes;
    cairo_surface_write_to_png_stream(
        surface,
        [](void* closure, const unsigned char* data, unsigned int length) {
            static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
            return CAIRO_STATUS_SUCCESS;
        },
        &bytes);
    cairo_surface_destroy(surface);
    return bytes;
}

// An opaque green image of width x height saved by gdk-pixbuf as `type` ("jpeg", "webp").
inline std::string pixbufEncoded(const char* type, int width, int height) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    gdk_pixbuf_fill(pixbuf, 0x00C000FF);
    gchar* buffer = nullptr;
    gsize size = 0;
    std::string bytes;
    if (gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, type, nullptr, nullptr)) {
        bytes.assign(buffer, size);
        g_free(buffer);
    }
    g_object_unref(pixbuf);
    return bytes;
}

struct GifFrame {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<std::uint8_t> indices; // palette: 0 black, 1 red, 2 green, 3 blue
    int delayHundredths = 10;
    int disposal = DISPOSAL_UNSPECIFIED;
    int transparentIndex = NO_TRANSPARENT_COLOR;
    bool withControl = true;
};

inline std::string gif(int width, int height, const std::vector<GifFrame>& frames) {
    std::string bytes;
    int error = 0;
    GifFileType* file = EGifOpen(
        &bytes,
        [](GifFileType* f, const GifByteType* data, int length) {
            static_cast<std::string*>(f->UserData)
                ->append(reinterpret_cast<const char*>(data), std::size_t(length));
            return length;
        },
        &error);
    GifColorType colours[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, width, height, 2, 0, map);
    for (const GifFrame& frame : frames) {
        if (frame.withControl) {
            GraphicsControlBlock control{frame.disposal, false, frame.delayHundredths,
                                         frame.transparentIndex};
            GifByteType extension[4];
            const size_t length = EGifGCBToExtension(&control, extension);
            EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, int(length), extension);
        }
        EGifPutImageDesc(file, frame.left, frame.top, frame.width, frame.height, false, nullptr);
        for (int y = 0; y < frame.height; ++y) {
            std::vector<GifPixelType> row(frame.indices.begin() + y * frame.width,
                                          frame.indices.begin() + (y + 1) * frame.width);
            EGifPutLine(file, row.data(), frame.width);
        }
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return bytes;
}

inline GifFrame solidFrame(int width, int height, std::uint8_t index, int delayHundredths) {
    GifFrame frame;
    frame.width = width;
    frame.height = height;
    frame.indices.assign(std::size_t(width * height), index);
    frame.delayHundredths = delayHundredths;
    return frame;
}

inline const char* kSVG =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="10" height="20" viewBox="0 0 10 20">
  <rect x="0" y="0" width="10" height="10" fill="#ff0000"/>
</svg>)";

} // namespace imagefixtures
