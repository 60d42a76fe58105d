#pragma once

#include "platform/CoreGraphics/CGImage.h"

// Blurring whole pictures, for backdrops that show a picture out of focus. Pure functions
// that may run on any thread.
namespace render {

// A copy of `image` blurred by an approximate Gaussian of `sigma` pixels (three box passes
// each way). Pixels beyond the edges count as copies of the nearest edge pixel, so the
// borders keep their colour instead of fading to transparent. `image` itself is used as
// given: reduce a large picture first when the blur is strong (see CGImage::reduced).
// Answers null when the copy cannot be made.
CGImageRef blurredImage(const CGImage& image, double sigma);

} // namespace render
