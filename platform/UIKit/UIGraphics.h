#pragma once

#include "platform/CoreGraphics/CGContext.h"
#include "platform/CoreGraphics/CGGeometry.h"

#include <memory>

class UIImage;

// Offscreen image contexts: a stack per thread. Begin pushes a transparent bitmap of
// `size` points at `scale` (0: the screen's scale); drawing goes to the current context;
// the image is taken from it; End pops it. A size without area makes no context (the
// current context is then null), but Begin and End still pair up.
void UIGraphicsBeginImageContext(CGSize size);
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
CGContext* UIGraphicsGetCurrentContext();
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
void UIGraphicsEndImageContext();
