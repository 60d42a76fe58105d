#include "app/Tabbar/AHLimberTabbarItem.h"

#include "platform/UIKit/UIImage.h"

bool AHLimberTabbarItem::setValue(const UIRuntimeAttributeValue& value, const std::string& key) {
    if (key == "backgroundColor" || key == "iconTintColor") {
        const UIColor* color = runtimeAttribute<UIColor>(value);
        if (color == nullptr) {
            return false;
        }
        (key == "backgroundColor" ? backgroundColor_ : iconTintColor_) = *color;
        return true;
    }
    if (key == "image") {
        const auto* image = runtimeAttribute<std::shared_ptr<UIImage>>(value);
        if (image != nullptr && *image && (*image)->renderingMode() == UIImageRenderingMode::automatic) {
            return UITabBarItem::setValue(
                (*image)->imageWithRenderingMode(UIImageRenderingMode::alwaysTemplate), key);
        }
    }
    return UITabBarItem::setValue(value, key);
}
