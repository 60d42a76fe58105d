#pragma once

#include "platform/UIKit/Controllers/UITabBarItem.h"

#include <optional>

// A tab of the animated bar with the colours it gives the bar while it is selected: the
// bubble's and the background's colour, and the tint of every icon. Both come from the
// interface file; an item without them takes the bar's colours.
class AHLimberTabbarItem : public UITabBarItem {
  public:
    using UITabBarItem::UITabBarItem;

    const std::optional<UIColor>& backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<UIColor> color) { backgroundColor_ = color; }
    const std::optional<UIColor>& iconTintColor() const { return iconTintColor_; }
    void setIconTintColor(std::optional<UIColor> color) { iconTintColor_ = color; }

    // Adds the keys "backgroundColor" and "iconTintColor" (colours). Images given by the
    // interface file are drawn as templates in the icon colour, as tab bars draw them.
    bool setValue(const UIRuntimeAttributeValue& value, const std::string& key) override;

  private:
    std::optional<UIColor> backgroundColor_;
    std::optional<UIColor> iconTintColor_;
};
