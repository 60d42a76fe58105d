#include "platform/UIKit/Controllers/UIBarButtonItem.h"

#include "platform/UIKit/UIImage.h"

UIBarButtonItem::UIBarButtonItem(const std::string& title, UIBarButtonItemStyle style, Action action)
    : style_(style), action_(std::move(action)) {
    setTitle(title);
}

UIBarButtonItem::UIBarButtonItem(std::shared_ptr<UIImage> image, UIBarButtonItemStyle style, Action action)
    : style_(style), action_(std::move(action)) {
    setImage(std::move(image));
}

void UIBarButtonItem::setTintColor(std::optional<UIColor> color) {
    if (tintColor_ == color) {
        return;
    }
    tintColor_ = color;
    changed();
}

void UIBarButtonItem::performAction() {
    if (!isEnabled() || !action_) {
        return;
    }
    // The action may replace itself (or the item); run a copy.
    const Action action = action_;
    action(*this);
}
