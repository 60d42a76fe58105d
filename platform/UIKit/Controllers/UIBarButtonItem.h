#pragma once

#include "platform/UIKit/Controllers/UIBarItem.h"
#include "platform/UIKit/UIColor.h"

#include <functional>
#include <optional>

enum class UIBarButtonItemStyle { plain = 0, done = 2 };

// A button of a navigation bar: a title or an image that runs an action when tapped.
class UIBarButtonItem : public UIBarItem {
  public:
    using Action = std::function<void(UIBarButtonItem& item)>;

    UIBarButtonItem(const std::string& title, UIBarButtonItemStyle style, Action action);
    UIBarButtonItem(std::shared_ptr<UIImage> image, UIBarButtonItemStyle style, Action action);

    UIBarButtonItemStyle style() const { return style_; }
    // The colour of the title or template image; none follows the bar's tint.
    const std::optional<UIColor>& tintColor() const { return tintColor_; }
    void setTintColor(std::optional<UIColor> color);

    void setAction(Action action) { action_ = std::move(action); }
    // Runs the action, as a tap on the item does.
    void performAction();

  private:
    UIBarButtonItemStyle style_;
    Action action_;
    std::optional<UIColor> tintColor_;
};
