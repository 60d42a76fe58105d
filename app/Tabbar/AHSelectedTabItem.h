#pragma once

#include "app/Tabbar/AHLimberTabBarItemView.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UIView.h"

#include <memory>

// The bubble: a circle with a shadow that carries the selected tab's icon and moves to a
// newly selected tab along a dipping arc, taking the tab's colour on the way.
class AHSelectedTabItem : public UIView {
  public:
    // A new bubble, set up (bubbles are made only by this, since setting up adds subviews).
    static std::shared_ptr<AHSelectedTabItem> make(const CGRect& frame);
    explicit AHSelectedTabItem(const CGRect& frame = CGRectZero) : UIView(frame) {}

    const UIColor& defaultBackgroundColor() const { return defaultBackgroundColor_; }
    void setDefaultBackgroundColor(const UIColor& color) { defaultBackgroundColor_ = color; }
    const UIColor& iconTintColor() const { return iconTintColor_; }
    void setIconTintColor(const UIColor& color) { iconTintColor_ = color; }
    const std::shared_ptr<UIImageView>& imgTabIcon() const { return imgTabIcon_; }
    // The tab the bubble stands on; none until the first selection.
    const std::shared_ptr<AHLimberTabBarItemView>& currentTab() const { return currentTab_; }
    void setCurrentTab(std::shared_ptr<AHLimberTabBarItemView> tab) { currentTab_ = std::move(tab); }

    // Moves to the current tab in half a second: dips half-way, recolours in a third of a
    // second, and shows the tab's icon from a quarter of a second on.
    void moveToCurrentTab();
    // Shows the current tab's icon (none without a tab or an item).
    void updateIcon();

  private:
    void setupView();

    UIColor defaultBackgroundColor_ = UIColor::whiteColor();
    UIColor iconTintColor_ = UIColor::systemGrayColor();
    std::shared_ptr<UIImageView> imgTabIcon_;
    std::shared_ptr<AHLimberTabBarItemView> currentTab_;
};
