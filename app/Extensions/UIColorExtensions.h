#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/UIColor.h"
#include "platform/UIKit/UIImage.h"

#include <cstdint>
#include <memory>
#include <string_view>

// Colours of the interface from hexadecimal texts and integers, and images of one colour.

// The colour of six hexadecimal digits ("1C1B20", "#1C1B20", "0x1C1B20"): white space at
// both ends is trimmed, then every "#" and every "0x" removed. Eight characters carry the
// alpha in their first two (it replaces `alpha`; 0 when they are not hexadecimal). Texts
// of nine or more characters, and texts that are empty once trimmed, give the default
// colour UIColor{}; a remainder that is not a hexadecimal number reads as 0 (black).
UIColor hexColor(std::string_view text, double alpha = 1);
// Red, green and blue from bits 16-23, 8-15 and 0-7 of `color`, with `alpha`.
UIColor hexColor(std::int64_t color, double alpha);
// As above; the alpha is 1 below 2^24 (negative values included), otherwise bits 24-31.
UIColor hexColor(std::int64_t color);

// An image of `size` points filled with the colour; nothing when the size has no area.
std::shared_ptr<UIImage> colorImage(const UIColor& color, CGSize size);
// A 1 x 1 point image of the colour.
std::shared_ptr<UIImage> colorImage(const UIColor& color);
