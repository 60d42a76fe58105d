#pragma once

#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/UIView.h"

#include <functional>
#include <memory>

enum class MJRefreshState { idle = 1, pulling, refreshing, willRefresh, noMoreData };

// The base of the refresh controls a scroll view carries (a pull-down header, a load-more
// footer): a state, the block run when refreshing starts, and the scroll view it follows
// through the scroll view's observer interface, never taking its delegate.
class MJRefreshComponent : public UIView, public UIScrollViewObserver {
  public:
    using RefreshingBlock = std::function<void()>;

    MJRefreshComponent();
    ~MJRefreshComponent() override;

    // Run when refreshing starts; capture the page weakly.
    void setRefreshingBlock(RefreshingBlock block) { refreshingBlock_ = std::move(block); }

    MJRefreshState state() const { return state_; }
    bool isRefreshing() const { return state_ == MJRefreshState::refreshing; }
    // Starts refreshing now (running the block) unless it already does.
    virtual void beginRefreshing();
    // Back to idle (which also ends a no-more-data state).
    virtual void endRefreshing();

    // The scroll view this control is attached to.
    std::shared_ptr<UIScrollView> scrollView() const { return scrollView_.lock(); }

    void willMoveToSuperview(UIView* newSuperview) override;
    void layoutSubviews() override;

  protected:
    // Changes the state; subclasses react (insets, labels) and call the base first.
    virtual void setState(MJRefreshState state);
    // Lays out the control's own content.
    virtual void placeSubviews() {}
    // Keeps the control's frame where it belongs in the scroll view.
    virtual void updateFrame() {}
    // Called after being added to a scroll view, and before leaving it.
    virtual void didAttachToScrollView(UIScrollView& scrollView) {}
    virtual void willDetachFromScrollView(UIScrollView& scrollView) {}
    void executeRefreshingCallback();

  private:
    MJRefreshState state_ = MJRefreshState::idle;
    RefreshingBlock refreshingBlock_;
    std::weak_ptr<UIScrollView> scrollView_;
};
