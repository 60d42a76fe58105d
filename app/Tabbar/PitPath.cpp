#include "app/Tabbar/PitPath.h"

#include <cmath>

AHPit addPit(CGMutablePath& toPath, CGFloat startingPointX, CGFloat y, CGFloat depth, CGFloat scale) {
    const CGFloat x = startingPointX;
    const CGFloat actualDepth = depth * scale;
    const CGFloat handle = std::fabs(actualDepth);
    const CGFloat endX = x + 2.25 * depth;
    const CGFloat midX = x + 1.125 * depth;
    const CGFloat bottomY = y + actualDepth;

    toPath.addCurve({midX, bottomY}, {x + 0.625 * handle, y}, {midX - handle, bottomY});
    toPath.addCurve({endX, y}, {midX + handle, bottomY}, {endX - 0.625 * handle, y});

    const CGFloat halfDepth = std::fabs(depth / 2);
    return AHPit{{CGRectMake(x, y, depth / 2, actualDepth / 2),
                  CGRectMake(x + halfDepth, y, depth, actualDepth),
                  CGRectMake(x + halfDepth + std::fabs(depth), y, depth / 2, actualDepth / 2)},
                 {endX, y}};
}

CGPath pitOutline(CGSize size, CGFloat pitLeftX, CGFloat pitDepth, CGFloat depthScale,
                  std::array<CGRect, 3>* guideRects) {
    CGPath path;
    path.move({0, 0});
    path.addLine({pitLeftX, 0});
    const AHPit pit = addPit(path, pitLeftX, 0, pitDepth, depthScale);
    if (guideRects != nullptr) {
        *guideRects = pit.guideRects;
    }
    path.addLine({size.width, 0});
    path.addLine({size.width, size.height});
    path.addLine({0, size.height});
    path.addLine({0, 0});
    return path;
}

CGFloat pitLeftForCentre(CGFloat centreX, CGFloat pitDepth) {
    return centreX - 1.125 * pitDepth;
}

CGFloat pitMiddleDepthScale(CGFloat fromX, CGFloat toX, CGFloat width) {
    if (!(width > 0)) {
        return 0.8;
    }
    return 0.8 + (0.6 - 0.8) * std::fabs(toX - fromX) / width;
}
