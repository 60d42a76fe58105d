#pragma once

#include "platform/MJRefresh/MJRefreshComponent.h"
#include "platform/MJRefresh/MJRefreshStateText.h"
#include "platform/UIKit/Controls/UIActivityIndicatorView.h"
#include "platform/UIKit/UILabel.h"

#include <string>

inline constexpr CGFloat MJRefreshFooterHeight = 44;

// The control below a scroll view's content that loads more.
class MJRefreshFooter : public MJRefreshComponent {
  public:
    // Refreshing ends and the footer offers no more until resetNoMoreData.
    void endRefreshingWithNoMoreData();
    // Leaves the no-more-data state (a refresh running meanwhile goes on).
    void resetNoMoreData();

    // A hidden footer takes no room below the content and never loads.
    void setHidden(bool hidden);

  protected:
    virtual void hiddenDidChange() {}
};

// A footer that sits right below the content and loads by itself: when the user scrolls
// down far enough to show it (triggerAutomaticallyRefreshPercent of its height), or, when
// the content is shorter than the view, when a drag up ends. It loads once and then waits
// for endRefreshing before it can load again.
class MJRefreshAutoFooter : public MJRefreshFooter {
  public:
    MJRefreshAutoFooter();

    bool automaticallyRefresh = true;
    CGFloat triggerAutomaticallyRefreshPercent = 1;

    void scrollViewContentOffsetDidChange(UIScrollView& scrollView) override;
    void scrollViewContentSizeDidChange(UIScrollView& scrollView) override;
    void scrollViewDidEndDragging(UIScrollView& scrollView) override;

  protected:
    void setState(MJRefreshState state) override;
    void updateFrame() override;
    void didAttachToScrollView(UIScrollView& scrollView) override;
    void willDetachFromScrollView(UIScrollView& scrollView) override;
    void hiddenDidChange() override { syncInset(); }

  private:
    // Adds (or takes back) the footer's height to the scroll view's bottom inset.
    void syncInset();

    CGFloat addedInset_ = 0;
    CGFloat lastOffsetY_ = 0;
};

// A footer that says what it does, per state; a tap on it loads when idle.
class MJRefreshAutoStateFooter : public MJRefreshAutoFooter {
  public:
    MJRefreshAutoStateFooter();

    const std::shared_ptr<UILabel>& stateLabel() const { return stateText_.label(); }
    void setTitle(const std::string& title, MJRefreshState state);
    // Shows no text while refreshing (the spinner says it).
    bool refreshingTitleHidden = false;

    void touchesEnded(const std::vector<std::shared_ptr<UITouch>>& touches, UIEvent* event) override;

  protected:
    void setState(MJRefreshState state) override;
    void placeSubviews() override;
    void didAttachToScrollView(UIScrollView& scrollView) override;

  private:
    MJRefreshStateText stateText_;
};

// The usual footer: a spinner while loading beside the state text.
class MJRefreshAutoNormalFooter : public MJRefreshAutoStateFooter {
  public:
    MJRefreshAutoNormalFooter();
    static std::shared_ptr<MJRefreshAutoNormalFooter> footerWithRefreshingBlock(RefreshingBlock block);

    const std::shared_ptr<UIActivityIndicatorView>& loadingView() const { return loadingView_; }

  protected:
    void setState(MJRefreshState state) override;
    void placeSubviews() override;
    void didAttachToScrollView(UIScrollView& scrollView) override;

  private:
    std::shared_ptr<UIActivityIndicatorView> loadingView_;
};
