#pragma once

#include "platform/QMUIKit/Controllers/QMUINavigationControllerAppearanceDelegate.h"
#include "platform/UIKit/Controllers/UIViewController.h"

#include <memory>

class QMUIEmptyView;

// The UI kit's base page: the configuration's page background, orientations and bar
// settings, and an empty view to show over the page while it has no content.
class QMUICommonViewController : public UIViewController, public QMUINavigationControllerAppearanceDelegate {
  public:
    QMUICommonViewController();
    ~QMUICommonViewController() override;

    // Made on first use once the view is loaded; none before.
    const std::shared_ptr<QMUIEmptyView>& emptyView();
    // Puts the empty view over the page (on top of its other subviews).
    void showEmptyView();
    void hideEmptyView();
    bool isEmptyViewShowing() const;

    void viewDidLoad() override;
    UIInterfaceOrientationMask supportedInterfaceOrientations() const override;

  protected:
    void layoutChildViews() override;

  private:
    std::shared_ptr<QMUIEmptyView> emptyView_;
};
