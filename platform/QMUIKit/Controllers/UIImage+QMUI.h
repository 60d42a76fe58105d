#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/UIColor.h"

#include <memory>
#include <optional>

class UIImage;

// Shapes the UI kit draws as images (numbered as the kit numbers them).
enum class QMUIImageShape { triangle = 1, navClose = 6 };

// An image of `shape` filling `size` points, drawn in `tintColor`; without a tint it is
// drawn in black as a template image, so that it takes the tint of the view showing it.
std::shared_ptr<UIImage> qmui_imageWithShape(QMUIImageShape shape, CGSize size,
                                             std::optional<UIColor> tintColor);
