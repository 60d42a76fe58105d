#pragma once

#include <cairo.h>

#include <memory>

// Decoded pixels: an immutable premultiplied ARGB32 Cairo image surface. Shared by
// std::shared_ptr<const CGImage> (CGImageRef); safe to read from several threads at
// once because nothing writes the pixels after creation.
class CGImage {
public:
    // Takes over one reference to `surface`. Answers nothing for a null surface, a surface
    // in an error state or one that is not an ARGB32 image surface.
    static std::shared_ptr<const CGImage> adopt(cairo_surface_t* surface);

    ~CGImage();
    CGImage(const CGImage&) = delete;
    CGImage& operator=(const CGImage&) = delete;

    int width() const;
    int height() const;
    // The pixels, for painting as a source; callers must not modify them.
    cairo_surface_t* surface() const { return surface_; }

private:
    explicit CGImage(cairo_surface_t* surface) : surface_(surface) {}
    cairo_surface_t* surface_;
};

using CGImageRef = std::shared_ptr<const CGImage>;
