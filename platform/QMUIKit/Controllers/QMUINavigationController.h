#pragma once

#include "platform/UIKit/Controllers/UINavigationController.h"

// The UI kit's navigation controller: the bar is hidden or shown for each page as the
// page prefers (pages that do not say follow the configuration's
// navigationBarHiddenInitially), and it moves with the page that has it.
class QMUINavigationController : public UINavigationController {
  public:
    explicit QMUINavigationController(std::shared_ptr<UIViewController> rootViewController = nullptr);

  protected:
    bool prefersNavigationBarHiddenFor(UIViewController& controller) override;
};
