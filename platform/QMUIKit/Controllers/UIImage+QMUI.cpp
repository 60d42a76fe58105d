#include "platform/QMUIKit/Controllers/UIImage+QMUI.h"

#include "platform/UIKit/UIGraphics.h"
#include "platform/UIKit/UIImage.h"

#include <algorithm>

std::shared_ptr<UIImage> qmui_imageWithShape(QMUIImageShape shape, CGSize size,
                                             std::optional<UIColor> tintColor) {
    if (size.width <= 0 || size.height <= 0) {
        return nullptr;
    }
    const UIColor color = tintColor.value_or(UIColor::blackColor());
    UIGraphicsBeginImageContextWithOptions(size, false, 0);
    if (CGContext* context = UIGraphicsGetCurrentContext()) {
        cairo_t* cr = context->cairo();
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
        switch (shape) {
        case QMUIImageShape::triangle:
            cairo_move_to(cr, 0, 0);
            cairo_line_to(cr, size.width, 0);
            cairo_line_to(cr, size.width / 2, size.height);
            cairo_close_path(cr);
            cairo_fill(cr);
            break;
        case QMUIImageShape::navClose: {
            const double lineWidth = std::max(1.0, std::min(size.width, size.height) / 8);
            cairo_set_line_width(cr, lineWidth);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            const double inset = lineWidth / 2;
            cairo_move_to(cr, inset, inset);
            cairo_line_to(cr, size.width - inset, size.height - inset);
            cairo_move_to(cr, size.width - inset, inset);
            cairo_line_to(cr, inset, size.height - inset);
            cairo_stroke(cr);
            break;
        }
        }
    }
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    if (image && !tintColor) {
        image = image->imageWithRenderingMode(UIImageRenderingMode::alwaysTemplate);
    }
    return image;
}
