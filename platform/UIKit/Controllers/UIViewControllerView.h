#pragma once

#include "platform/UIKit/UIView.h"

#include <memory>

class UIViewController;

// The view a controller makes for itself: tells the controller around each layout of
// its subviews (viewWillLayoutSubviews, the container's own layout, viewDidLayoutSubviews).
class UIViewControllerView : public UIView {
  public:
    UIViewControllerView(const CGRect& frame, std::weak_ptr<UIViewController> controller);
    void layoutSubviews() override;

  private:
    std::weak_ptr<UIViewController> controller_;
};
