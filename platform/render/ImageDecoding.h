#pragma once

#include "platform/CoreGraphics/CGImage.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Turning encoded image bytes into pixels. Every function here is safe to call from any
// thread (web images are decoded on a background queue); failures answer nothing.
namespace render {

enum class ImageFormat { png, jpeg, gif, webp, svg, other };

// The format told by the first bytes; `other` for anything else (which is not decoded).
ImageFormat sniffImageFormat(std::string_view bytes);

// One frame of an image. `delay` is the frame's own display time as stored in the file
// (GIF: hundredths of a second, unclamped), absent when the file gives none.
struct ImageFrame {
    CGImageRef image;
    std::optional<double> delay;
};

struct DecodedImage {
    std::vector<ImageFrame> frames; // never empty
    // SVG only: the pixels per unit it was rendered at. 1 for raster formats.
    double scale = 1;
};

// Decodes PNG, JPEG, WebP, GIF (every frame, composed as the animation shows it) and SVG
// (rendered at `svgScale` pixels per unit).
std::optional<DecodedImage> decodeImage(std::string_view bytes, double svgScale);

// A PNG, JPEG or WebP image through gdk-pixbuf (first frame only).
CGImageRef decodeRaster(std::string_view bytes);
// An SVG document rendered at `scale` pixels per unit of its intrinsic size (its width
// and height, else its view box).
CGImageRef renderSVG(std::string_view bytes, double scale);
// Every frame of a GIF; nothing when the data is not a readable GIF.
std::optional<std::vector<ImageFrame>> decodeGIF(std::string_view bytes);

// The largest image, in pixels, any decoder here accepts (all frames together for
// animations): larger ones answer nothing rather than exhaust memory.
inline constexpr double kMaxDecodedPixels = 64.0 * 1024 * 1024;

} // namespace render
