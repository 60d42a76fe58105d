#pragma once

#include "app/Base/BaseViewController.h"
#include "platform/JXSegmentedView/JXSegmentedView.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"

#include <memory>

// The login container, presented full screen as the root of a NavigationController: a
// greeting, a close button, a one-title bar and below it the form, which it rebuilds when
// the form switches between sign-in ("密码登陆") and registration ("注册"). It always opens
// on sign-in. Closing it stores nothing.
class KKmaximumdefyViewController : public BaseViewController,
                                    public JXSegmentedViewDelegate,
                                    public JXSegmentedListContainerViewDataSource {
  public:
    const std::shared_ptr<QMUILabel>& kkjeopardizegallon();
    const std::shared_ptr<QMUIButton>& kkspraychew();
    const std::shared_ptr<JXSegmentedTitleDataSource>& dataSource();
    const std::shared_ptr<JXSegmentedIndicatorBackgroundView>& indicator();
    const std::shared_ptr<JXSegmentedView>& segmentedView();
    const std::shared_ptr<JXSegmentedListContainerView>& listContainerView();
    // Handed to every form the list makes.
    bool isLogin = true;

    void viewDidLoad() override;
    bool preferredNavigationBarHidden() const override { return true; }
    void setupUI();

    long numberOfLists(JXSegmentedListContainerView& listContainerView) override;
    std::shared_ptr<JXSegmentedListContainerViewListDelegate>
    initListAt(JXSegmentedListContainerView& listContainerView, long index) override;

  private:
    std::shared_ptr<QMUILabel> kkjeopardizegallon_;
    std::shared_ptr<QMUIButton> kkspraychew_;
    std::shared_ptr<JXSegmentedTitleDataSource> dataSource_;
    std::shared_ptr<JXSegmentedIndicatorBackgroundView> indicator_;
    std::shared_ptr<JXSegmentedView> segmentedView_;
    std::shared_ptr<JXSegmentedListContainerView> listContainerView_;
};
