#pragma once

#include "platform/QMUIKit/Controllers/QMUICommonViewController.h"

// The base of every page: the panel colour "28272C" as background, an empty view that
// reads "暂无数据" over the "empty" image without a loading wheel, portrait only, and a
// navigation bar that stays shown.
class BaseViewController : public QMUICommonViewController {
  public:
    void viewDidLoad() override;
    UIInterfaceOrientationMask supportedInterfaceOrientations() const override {
        return UIInterfaceOrientationMaskPortrait;
    }
    bool shouldAutorotate() const override { return false; }
    bool preferredNavigationBarHidden() const override { return false; }
    bool shouldCustomizeNavigationBarTransitionIfHideable() const override { return true; }
};
