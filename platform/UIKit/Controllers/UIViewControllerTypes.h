#pragma once

// How a presented controller covers the screen. `automatic` resolves to `pageSheet` for
// ordinary controllers (alerts choose their own look).
enum class UIModalPresentationStyle {
    automatic = -2,
    none = -1,
    fullScreen = 0,
    pageSheet = 1,
    formSheet = 2,
    currentContext = 3,
    custom = 4,
    overFullScreen = 5,
    overCurrentContext = 6,
    popover = 7,
};

// Edges of a controller's view that may extend under translucent bars.
using UIRectEdge = unsigned;
inline constexpr UIRectEdge UIRectEdgeNone = 0;
inline constexpr UIRectEdge UIRectEdgeTop = 1u << 0;
inline constexpr UIRectEdge UIRectEdgeLeft = 1u << 1;
inline constexpr UIRectEdge UIRectEdgeBottom = 1u << 2;
inline constexpr UIRectEdge UIRectEdgeRight = 1u << 3;
inline constexpr UIRectEdge UIRectEdgeAll = 15;

enum class UIInterfaceOrientation {
    unknown = 0,
    portrait = 1,
    portraitUpsideDown = 2,
    landscapeRight = 3,
    landscapeLeft = 4,
};

inline constexpr bool UIInterfaceOrientationIsLandscape(UIInterfaceOrientation orientation) {
    return orientation == UIInterfaceOrientation::landscapeLeft ||
           orientation == UIInterfaceOrientation::landscapeRight;
}

using UIInterfaceOrientationMask = unsigned;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskPortrait = 1u << 1;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskLandscapeLeft = 1u << 4;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskLandscapeRight = 1u << 3;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskPortraitUpsideDown = 1u << 2;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskLandscape = (1u << 4) | (1u << 3);
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskAll = 30;
inline constexpr UIInterfaceOrientationMask UIInterfaceOrientationMaskAllButUpsideDown = 26;

// The mask that holds just `orientation` (each orientation's bit is its value).
inline constexpr UIInterfaceOrientationMask
UIInterfaceOrientationMaskFor(UIInterfaceOrientation orientation) {
    return 1u << static_cast<unsigned>(orientation);
}

enum class UIStatusBarStyle { defaultStyle = 0, lightContent = 1, darkContent = 3 };

enum class UIBarStyle { defaultStyle = 0, black = 1 };
