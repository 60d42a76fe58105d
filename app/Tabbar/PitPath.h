#pragma once

#include "platform/CoreGraphics/CGPath.h"

#include <array>

// The geometry of the tab bar's pit: a smooth notch that dips into the bar's top edge
// under the selected tab. Lengths are points in the coordinates of the view that draws
// (origin top left, y downwards).

struct AHPit {
    // Three guide rectangles side by side from the pit's left end over 2 x depth, the
    // middle one as deep as the pit (a design aid).
    std::array<CGRect, 3> guideRects;
    // Where the pit rejoins the top line; the path's current point afterwards.
    CGPoint endPoint;
};

// Appends the pit to `toPath`, whose current point must be (startingPointX, y): two cubic
// curves 2.25 x depth wide whose bottom lies depth x scale below the top line, flat where
// they leave the line, at the bottom and where they rejoin it.
AHPit addPit(CGMutablePath& toPath, CGFloat startingPointX, CGFloat y, CGFloat depth, CGFloat scale);

// The outline of a bar of `size` whose top edge holds a pit starting at `pitLeftX`: the top
// line up to the pit, the pit, the rest of the top line, then down, across and up to the
// start. Not explicitly closed; filling closes it. The pit's guide rectangles are written
// to `guideRects` when given.
CGPath pitOutline(CGSize size, CGFloat pitLeftX, CGFloat pitDepth, CGFloat depthScale,
                  std::array<CGRect, 3>* guideRects = nullptr);

// The left end of a pit of `pitDepth` centred on `centreX`.
CGFloat pitLeftForCentre(CGFloat centreX, CGFloat pitDepth);

// The pit's depth scale half-way through a move from `fromX` to `toX` on a bar `width`
// wide: 0.8 when it stays in place, down to 0.6 for a move across the whole bar. A bar
// without width counts as no move.
CGFloat pitMiddleDepthScale(CGFloat fromX, CGFloat toX, CGFloat width);
