#pragma once

#include "platform/UIKit/Controllers/UIBarItem.h"

// An entry of a tab bar: the title and image shown for one tab, and the image shown
// while it is selected.
class UITabBarItem : public UIBarItem {
  public:
    UITabBarItem() = default;
    UITabBarItem(const std::string& title, std::shared_ptr<UIImage> image,
                 std::shared_ptr<UIImage> selectedImage);

    const std::shared_ptr<UIImage>& selectedImage() const { return selectedImage_; }
    void setSelectedImage(std::shared_ptr<UIImage> image);

    // Adds the key "selectedImage" (image).
    bool setValue(const UIRuntimeAttributeValue& value, const std::string& key) override;

  private:
    std::shared_ptr<UIImage> selectedImage_;
};
