#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

#include <cstddef>
#include <vector>

// The geometry of the tab bar's bubble: the circle that carries the selected tab's icon
// and rests 10 points above the bar's top edge.

// The bubble's side for a bar `barHeight` high: the height above the bottom safe-area
// inset, whole when the bar has an inset and 0.8 of it otherwise. A bar that ignores the
// safe area counts no inset.
CGFloat limberBubbleSize(CGFloat barHeight, CGFloat bottomInset, bool observeSafeAreaInsets);

// The tabs the bubble passes over when it moves from tab `from` to tab `to`: every index
// strictly between them, none for adjacent tabs or a move in place.
std::vector<std::size_t> tabsPassedOver(std::size_t from, std::size_t to);

// The two keyframe centres of a bubble of height `bubbleHeight` moving from centre x
// `fromX` to `toX`: half-way it dips 50 points below its resting height, then it rests
// with its top 10 points above the bar's top edge.
struct AHBubbleMove {
    CGPoint dip;
    CGPoint rest;
};
AHBubbleMove limberBubbleMove(CGFloat fromX, CGFloat toX, CGFloat bubbleHeight);
