#pragma once

#include "platform/UIKit/UIColor.h"

#include <optional>
#include <string>

// A colour from hexadecimal text: "RGB", "ARGB", "RRGGBB" or "AARRGGBB", with or without
// a leading "#" (alpha first, as the UI kit reads it). Nothing for any other text.
std::optional<UIColor> qmui_colorWithHexString(const std::string& text);
