#pragma once

#include "platform/MJRefresh/MJRefreshComponent.h"
#include "platform/MJRefresh/MJRefreshStateText.h"
#include "platform/UIKit/Controls/UIActivityIndicatorView.h"
#include "platform/UIKit/UILabel.h"

#include <string>

inline constexpr CGFloat MJRefreshHeaderHeight = 54;

// The pull-down control above a scroll view's content. Pulled past its own height it
// becomes "pulling"; let go there, it refreshes: the content rests below it (the top
// inset grows by its height) and the refreshing block runs. Ending the refresh gives the
// space back.
class MJRefreshHeader : public MJRefreshComponent {
  public:
    MJRefreshHeader();

    // How far (0...) the content is pulled, in header heights.
    CGFloat pullingPercent() const { return pullingPercent_; }

    void beginRefreshing() override;

    void scrollViewContentOffsetDidChange(UIScrollView& scrollView) override;
    void scrollViewDidEndDragging(UIScrollView& scrollView) override;

  protected:
    void setState(MJRefreshState state) override;
    void updateFrame() override;
    void didAttachToScrollView(UIScrollView& scrollView) override;

  private:
    CGFloat pullingPercent_ = 0;
    // The top inset the header added while refreshing.
    CGFloat addedInset_ = 0;
    bool changingInset_ = false;
};

// A header that says what pulling does, per state.
class MJRefreshStateHeader : public MJRefreshHeader {
  public:
    MJRefreshStateHeader();

    const std::shared_ptr<UILabel>& stateLabel() const { return stateText_.label(); }
    void setTitle(const std::string& title, MJRefreshState state);

  protected:
    void setState(MJRefreshState state) override;
    void placeSubviews() override;
    void didAttachToScrollView(UIScrollView& scrollView) override;

  private:
    MJRefreshStateText stateText_;
};

// The usual header: an arrow that turns when letting go would refresh, a spinner while
// refreshing, and the state text.
class MJRefreshNormalHeader : public MJRefreshStateHeader {
  public:
    MJRefreshNormalHeader();
    static std::shared_ptr<MJRefreshNormalHeader> headerWithRefreshingBlock(RefreshingBlock block);

    const std::shared_ptr<UIActivityIndicatorView>& loadingView() const { return loadingView_; }

  protected:
    void setState(MJRefreshState state) override;
    void placeSubviews() override;
    void didAttachToScrollView(UIScrollView& scrollView) override;

  private:
    std::shared_ptr<UIView> arrowView_;
    std::shared_ptr<UIActivityIndicatorView> loadingView_;
};
