#pragma once

#include "platform/CoreGraphics/CGAffineTransform.h"
#include "platform/CoreGraphics/CGGeometry.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CALayer;

// A picture the window host draws itself beneath the interface, such as a video picture in
// a texture of the window's OpenGL context. The layer showing it paints the picture's area
// transparent, through everything painted beneath the layer, so that the picture shows
// there except where layers above it draw.
struct CAExternalPicture {
    // The OpenGL texture holding the picture; its first row is the picture's top.
    unsigned texture = 0;
    // Where the picture goes, in the layer's bounds space; it is shown cut to the bounds.
    CGRect rect;

    bool operator==(const CAExternalPicture&) const = default;
};

// Where the host draws one external picture.
struct CAExternalPicturePlacement {
    unsigned texture = 0;
    // The part of the picture that shows, in the picture's unit square (0 to 1 from its
    // top left corner).
    CGRect source;
    // That part's corners on the device, in pixels: top left, top right, bottom left,
    // bottom right (a turned layer turns them).
    std::array<CGPoint, 4> corners;
};

// The layers that may show external pictures. Main thread only.
namespace CAExternalPictures {

// Makes `layer` known as one that may show an external picture (held weakly).
void add(const std::shared_ptr<CALayer>& layer);
// Counts changes of the pictures' contents, which no repaint of the interface shows: the
// host draws again when it moves.
std::uint64_t changeCount();
void noteChange();
// The pictures shown by visible layers of `root`'s tree, bottom first, for the root drawn
// with `toDevice` (from the root's superlayer space to device pixels): each cut to its
// layer's bounds and to the bounds of every ancestor that masks to them.
std::vector<CAExternalPicturePlacement> place(CALayer& root, const CGAffineTransform& toDevice);

} // namespace CAExternalPictures
