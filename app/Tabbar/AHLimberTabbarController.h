#pragma once

#include "platform/UIKit/Controllers/UITabBarController.h"

// The tab bar controller under the animated bar: a tap on a bar item selects that item's
// child and tells the delegate, without asking it first.
class AHLimberTabbarController : public UITabBarController {
  public:
    void didSelectItem(UITabBar& tabBar, const std::shared_ptr<UITabBarItem>& item) override;
};
