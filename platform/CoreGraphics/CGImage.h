#pragma once

#include <cairo.h>

#include <memory>
#include <mutex>
#include <vector>

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

    // The image halved `halvings` times (each step averages 2 x 2 pixels, rounding odd
    // sizes up), made on first use and kept with the image. Painting a large image much
    // smaller uses these so that cheap filtering gives a smooth result.
    const CGImage& reduced(int halvings) const;

  private:
    explicit CGImage(cairo_surface_t* surface) : surface_(surface) {}
    cairo_surface_t* surface_;
    mutable std::mutex reductionsLock_;
    mutable std::vector<std::shared_ptr<const CGImage>> reductions_;
};

using CGImageRef = std::shared_ptr<const CGImage>;
