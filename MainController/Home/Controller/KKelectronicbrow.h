#pragma once

#include "MainController/Home/Helpers/HomeTabs.h"
#include "app/Base/BaseViewController.h"
#include "platform/JXSegmentedView/JXSegmentedIndicatorView.h"
#include "platform/JXSegmentedView/JXSegmentedListContainerView.h"
#include "platform/JXSegmentedView/JXSegmentedTitleDataSource.h"
#include "platform/JXSegmentedView/JXSegmentedView.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UIStackView.h"

#include <cstdint>
#include <memory>
#include <vector>

class KKaggravateconcession;

// The home tab: a dark header (logo to the notices, search box to the search page, history
// and downloads buttons), the category tabs from "api/indexLabelList" (those of the last
// launch shown at once) with one page per tab, the recommend page first when the first tab
// is "推荐". Each time it appears it offers the newest playback record in a
// continue-watching card and shows a new notice once.
class KKelectronicbrow : public BaseViewController,
                         public JXSegmentedListContainerViewDataSource,
                         public JXSegmentedViewDelegate {
  public:
    bool preferredNavigationBarHidden() const override { return true; }
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    const std::shared_ptr<JXSegmentedTitleDataSource>& dataSource() const { return dataSource_; }
    const std::shared_ptr<JXSegmentedIndicatorBackgroundView>& indicator() const { return indicator_; }
    const std::shared_ptr<JXSegmentedView>& segmentedView() const { return segmentedView_; }
    const std::shared_ptr<JXSegmentedListContainerView>& listContainerView() const {
        return listContainerView_;
    }
    const std::shared_ptr<UIView>& kkexemptconvention() const { return kkexemptconvention_; }
    const std::shared_ptr<UIImageView>& kkconventiondisturb() const { return kkconventiondisturb_; }
    const std::shared_ptr<QMUIButton>& kkdisturbtissue() const { return kkdisturbtissue_; }
    const std::shared_ptr<QMUIButton>& kktissuelounge() const { return kktissuelounge_; }
    const std::shared_ptr<QMUIButton>& searchBar() const { return searchBar_; }
    const std::shared_ptr<UIStackView>& kkloungecandy() const { return kkloungecandy_; }
    // The category of each tab, in tab order.
    const std::vector<std::int64_t>& types() const { return types_; }
    // Whether the continue-watching card was closed during this page's life.
    bool isCloseContinueView() const { return isCloseContinueView_; }
    // The continue-watching card on the page, if any.
    std::shared_ptr<KKaggravateconcession> continueView() const { return continueView_.lock(); }

    long numberOfLists(JXSegmentedListContainerView& listContainerView) override;
    std::shared_ptr<JXSegmentedListContainerViewListDelegate>
    initListAt(JXSegmentedListContainerView& listContainerView, long index) override;

  private:
    void setupUI();
    void setupSegmentedView();
    void refreshLogin();
    void loadTypeList();
    void showContinueView();
    void loadNotice();
    void showTabs(const std::vector<HomeTab>& tabs);
    template <class Page> void open();

    std::shared_ptr<JXSegmentedTitleDataSource> dataSource_;
    std::shared_ptr<JXSegmentedIndicatorBackgroundView> indicator_;
    std::shared_ptr<JXSegmentedView> segmentedView_;
    std::shared_ptr<JXSegmentedListContainerView> listContainerView_;
    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<UIImageView> kkconventiondisturb_;
    std::shared_ptr<QMUIButton> kkdisturbtissue_;
    std::shared_ptr<QMUIButton> kktissuelounge_;
    std::shared_ptr<QMUIButton> searchBar_;
    std::shared_ptr<UIStackView> kkloungecandy_;
    std::vector<std::int64_t> types_;
    bool isCloseContinueView_ = false;
    std::weak_ptr<KKaggravateconcession> continueView_;
};
