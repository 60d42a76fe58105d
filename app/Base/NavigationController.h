#pragma once

#include "platform/QMUIKit/Controllers/QMUINavigationController.h"

// The application's navigation controller: an opaque bar, the tab bar hidden for every
// page pushed above the root, and rotation and status bar decided by the top page.
class NavigationController : public QMUINavigationController {
  public:
    using QMUINavigationController::QMUINavigationController;

    void viewDidLoad() override;
    void pushViewController(std::shared_ptr<UIViewController> controller, bool animated) override;

    bool shouldAutorotate() const override;
    UIInterfaceOrientationMask supportedInterfaceOrientations() const override;
    UIInterfaceOrientation preferredInterfaceOrientationForPresentation() const override;
    std::shared_ptr<UIViewController> childViewControllerForStatusBarStyle() const override;
    std::shared_ptr<UIViewController> childViewControllerForStatusBarHidden() const override;

  private:
    std::shared_ptr<UIViewController> top() const;
};
