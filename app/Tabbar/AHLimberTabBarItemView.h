#pragma once

#include "platform/UIKit/Controllers/UITabBarItem.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UITapGestureRecognizer.h"
#include "platform/UIKit/UIView.h"

#include <functional>
#include <memory>

// One tab's icon in the bar's row: the item's image, centred and as high as the view, in
// the icon colour. A tap calls `onSelected` with the view.
class AHLimberTabBarItemView : public UIView {
  public:
    // A new icon view, set up (views are made only by this, since setting up adds subviews).
    static std::shared_ptr<AHLimberTabBarItemView> make(const CGRect& frame = CGRectZero);
    explicit AHLimberTabBarItemView(const CGRect& frame = CGRectZero) : UIView(frame) {}

    const std::shared_ptr<UIImageView>& imgIcon() const { return imgIcon_; }
    const std::shared_ptr<UITabBarItem>& tabBarItem() const { return tabBarItem_; }
    void setTabBarItem(std::shared_ptr<UITabBarItem> item) { tabBarItem_ = std::move(item); }
    std::function<void(AHLimberTabBarItemView&)> onSelected;
    const UIColor& iconTintColor() const { return iconTintColor_; }
    void setIconTintColor(const UIColor& color) { iconTintColor_ = color; }

    // (Re)builds the icon for the current item, replacing the one made before.
    void setupView();

  private:
    void onTapped();

    std::shared_ptr<UIImageView> imgIcon_;
    std::shared_ptr<UITabBarItem> tabBarItem_;
    UIColor iconTintColor_ = UIColor::systemGrayColor();
    std::shared_ptr<UITapGestureRecognizer> tap_;
};
