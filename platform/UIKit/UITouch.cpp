#include "platform/UIKit/UITouch.h"

#include "platform/UIKit/UIView.h"

CGPoint UITouch::locationInView(const UIView* view) const {
    return view != nullptr ? view->convertPointFromView(location_, nullptr) : location_;
}

CGPoint UITouch::previousLocationInView(const UIView* view) const {
    return view != nullptr ? view->convertPointFromView(previousLocation_, nullptr) : previousLocation_;
}
