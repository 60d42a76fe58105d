#pragma once

#include "app/Tabbar/AHLimberTabbarController.h"

// The main interface: four tabs from the storyboard "Main" under the animated bar. When
// its view loads it clears the kit's tab bar shadow, hides the platform bar's own
// background a tenth of a second later, and opens the local database "fflist.db" in the
// Documents folder for every record type. Rotation is the current tab's to decide.
class TabbarController : public AHLimberTabbarController {
  public:
    void viewDidLoad() override;

    bool shouldAutorotate() const override;
    UIInterfaceOrientationMask supportedInterfaceOrientations() const override;
    UIInterfaceOrientation preferredInterfaceOrientationForPresentation() const override;

  private:
    // The selected child, or the first when nothing is selected; none without children.
    std::shared_ptr<UIViewController> currentChild() const;
};
