#include "bench/support/PhotoJPEG.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

std::string photoLikeJPEG(int width, int height, int seed) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    unsigned state = static_cast<unsigned>(seed) * 2654435761u;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            guchar* p = pixels + y * stride + x * 3;
            p[0] = static_cast<guchar>((x * 255 / width + (state >> 28)) & 0xFF);
            p[1] = static_cast<guchar>((y * 255 / height + seed * 40) & 0xFF);
            p[2] = static_cast<guchar>((state >> 24) & 0xFF);
        }
    }
    gchar* buffer = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "jpeg", nullptr, "quality", "85", nullptr);
    std::string bytes(buffer, size);
    g_free(buffer);
    g_object_unref(pixbuf);
    return bytes;
}
