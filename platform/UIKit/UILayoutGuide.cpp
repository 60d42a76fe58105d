#include "platform/UIKit/UILayoutGuide.h"

#include "platform/UIKit/LayoutEngine.h"
#include "platform/UIKit/UIView.h"

UILayoutGuide::~UILayoutGuide() {
    LayoutEngine::shared().itemWillBeDestroyed(*this);
}

CGRect UILayoutGuide::layoutFrame() const {
    auto owner = owner_.lock();
    if (!owner) {
        return CGRectZero;
    }
    if (!LayoutEngine::shared().isRegistered(*this) && kind_ != Kind::custom) {
        return UIEdgeInsetsInsetRect(owner->bounds(), owner->insetsForGuide(*this));
    }
    return LayoutEngine::shared().solvedFrame(const_cast<UILayoutGuide&>(*this));
}
