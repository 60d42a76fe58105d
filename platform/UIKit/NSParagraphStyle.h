#pragma once

#include "platform/CoreGraphics/CGGeometry.h"

enum class NSTextAlignment { left = 0, center = 1, right = 2, justified = 3, natural = 4 };

enum class NSLineBreakMode {
    byWordWrapping = 0,
    byCharWrapping,
    byClipping,
    byTruncatingHead,
    byTruncatingTail,
    byTruncatingMiddle,
};

// How the lines of a paragraph are aligned, broken and spaced. A value; the mutable
// variant of the platform is the same type.
struct NSParagraphStyle {
    NSTextAlignment alignment = NSTextAlignment::natural;
    NSLineBreakMode lineBreakMode = NSLineBreakMode::byWordWrapping;
    CGFloat lineSpacing = 0; // extra points between lines

    static NSParagraphStyle defaultParagraphStyle() { return {}; }
    friend bool operator==(const NSParagraphStyle&, const NSParagraphStyle&) = default;
};

using NSMutableParagraphStyle = NSParagraphStyle;
