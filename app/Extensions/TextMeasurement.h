#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/UIFont.h"

#include <string>

// Measurements of a text set in one font and broken into lines at `maxWidth`, raised to
// whole points. An empty text measures 0.

// The width of the widest line, never more than maxWidth.
CGFloat textWidth(const std::string& text, const UIFont& font, CGFloat maxWidth);
// The height of all lines.
CGFloat textHeight(const std::string& text, const UIFont& font, CGFloat maxWidth);
CGSize textSize(const std::string& text, const UIFont& font, CGFloat maxWidth);
// As textSize, with the height held to `maxRowNumber` lines of the font.
CGSize textSize(const std::string& text, const UIFont& font, CGFloat maxWidth, int maxRowNumber);
