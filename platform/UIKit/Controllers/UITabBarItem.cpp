#include "platform/UIKit/Controllers/UITabBarItem.h"

#include "platform/UIKit/UIImage.h"

UITabBarItem::UITabBarItem(const std::string& title, std::shared_ptr<UIImage> image,
                           std::shared_ptr<UIImage> selectedImage)
    : selectedImage_(std::move(selectedImage)) {
    setTitle(title);
    setImage(std::move(image));
}

void UITabBarItem::setSelectedImage(std::shared_ptr<UIImage> image) {
    if (selectedImage_ == image) {
        return;
    }
    selectedImage_ = std::move(image);
    changed();
}

bool UITabBarItem::setValue(const UIRuntimeAttributeValue& value, const std::string& key) {
    if (key == "selectedImage") {
        if (const auto* image = runtimeAttribute<std::shared_ptr<UIImage>>(value)) {
            setSelectedImage(*image);
            return true;
        }
        return false;
    }
    return UIBarItem::setValue(value, key);
}
