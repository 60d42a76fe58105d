#pragma once

#include "platform/CoreGraphics/CGImage.h"

#include <optional>
#include <string_view>

namespace render {

// Draws the simple SVG documents icons are made of straight with Cairo, without loading
// an SVG library: a root with absolute width and height and a view box, groups, paths,
// circles, ellipses and rectangles, painted with plain colours (fill, stroke, their
// opacities, stroke width, caps and joins, group and shape opacity). The picture is the
// one a full SVG renderer draws (it would draw with Cairo too).
//
// Answers nothing for a document with anything else (gradients, clipping, transforms,
// styles, text, unknown units or elements, malformed markup): a full renderer must draw
// that one. Answers a null image when the document is understood but has no area, or
// more pixels than kMaxDecodedPixels at `scale`.
std::optional<CGImageRef> renderSimpleSVG(std::string_view bytes, double scale);

} // namespace render
