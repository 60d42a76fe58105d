#include "platform/UIKit/Controllers/UIBarItem.h"

#include "platform/UIKit/UIImage.h"

UIBarItem::~UIBarItem() = default;

void UIBarItem::setTitle(const std::string& title) {
    if (title_ == title) {
        return;
    }
    title_ = title;
    changed();
}

void UIBarItem::setImage(std::shared_ptr<UIImage> image) {
    if (image_ == image) {
        return;
    }
    image_ = std::move(image);
    changed();
}

void UIBarItem::setEnabled(bool enabled) {
    if (enabled_ == enabled) {
        return;
    }
    enabled_ = enabled;
    changed();
}

bool UIBarItem::setValue(const UIRuntimeAttributeValue& value, const std::string& key) {
    if (key == "title") {
        if (const auto* text = runtimeAttribute<std::string>(value)) {
            setTitle(*text);
            return true;
        }
        return false;
    }
    if (key == "image") {
        if (const auto* image = runtimeAttribute<std::shared_ptr<UIImage>>(value)) {
            setImage(*image);
            return true;
        }
        return false;
    }
    if (key == "tag") {
        if (const auto* number = runtimeAttribute<double>(value)) {
            setTag(static_cast<long>(*number));
            return true;
        }
        return false;
    }
    if (key == "enabled") {
        if (const auto* flag = runtimeAttribute<bool>(value)) {
            setEnabled(*flag);
            return true;
        }
        return false;
    }
    return UINibLoadable::setValue(value, key);
}

void UIBarItem::changed() {
    // The handler may replace itself; run a copy.
    if (auto handler = changeHandler_) {
        handler();
    }
}
