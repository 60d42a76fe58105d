#pragma once

#include "platform/JXSegmentedView/JXSegmentedIndicatorView.h"
#include "platform/JXSegmentedView/JXSegmentedListContainerView.h"
#include "platform/JXSegmentedView/JXSegmentedTitleDataSource.h"
#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <vector>

class JXSegmentedView;
class UITapGestureRecognizer;

class JXSegmentedViewDelegate {
  public:
    virtual ~JXSegmentedViewDelegate() = default;
    // After an item became selected, by a tap or by swiping the pages.
    virtual void didSelectedItemAt(JXSegmentedView& segmentedView, long index) {}
    virtual void didClickSelectedItemAt(JXSegmentedView& segmentedView, long index) {}
    virtual void didScrollSelectedItemAt(JXSegmentedView& segmentedView, long index) {}
    virtual bool canClickItemAt(JXSegmentedView& segmentedView, long index) { return true; }
};

// A strip of items (titles) with markers under the selected one, tied to a container of
// pages: a tap on an item shows its page, swiping the pages moves the markers and the
// title colours along and selects the page's item where the swipe comes to rest. Items
// spread out evenly when they do not fill the strip, and scroll when they overflow it.
class JXSegmentedView : public UIView, public UIScrollViewObserver {
  public:
    explicit JXSegmentedView(const CGRect& frame = CGRectZero);
    ~JXSegmentedView() override;

    // Held weakly.
    void setDataSource(const std::shared_ptr<JXSegmentedViewDataSource>& dataSource) {
        dataSource_ = dataSource;
    }
    std::shared_ptr<JXSegmentedViewDataSource> dataSource() const { return dataSource_.lock(); }
    void setDelegate(const std::shared_ptr<JXSegmentedViewDelegate>& delegate) { delegate_ = delegate; }
    std::shared_ptr<JXSegmentedViewDelegate> delegate() const { return delegate_.lock(); }
    const std::vector<std::shared_ptr<JXSegmentedIndicatorBaseView>>& indicators() const {
        return indicators_;
    }
    void setIndicators(std::vector<std::shared_ptr<JXSegmentedIndicatorBaseView>> indicators);
    // The pages; held weakly.
    void setListContainer(const std::shared_ptr<JXSegmentedViewListContainer>& container);
    // A scroll view of pages to follow without a list container; held weakly.
    void setContentScrollView(const std::shared_ptr<UIScrollView>& scrollView);

    long defaultSelectedIndex = 0;
    long selectedIndex() const { return selectedIndex_; }
    // Space before the first and after the last item; automatic: the item spacing.
    CGFloat contentEdgeInsetLeft = JXSegmentedViewAutomaticDimension;
    CGFloat contentEdgeInsetRight = JXSegmentedViewAutomaticDimension;

    // Asks the data source again and rebuilds the items and the pages.
    void reloadData();
    // Selects an item as a tap would, showing its page.
    void selectItemAt(long index);

    long numberOfItems() const { return static_cast<long>(items_.size()); }
    CGRect frameForItemAt(long index) const;
    std::shared_ptr<UIView> itemViewAt(long index) const;

    void layoutSubviews() override;
    void didMoveToSuperview() override;
    void scrollViewContentOffsetDidChange(UIScrollView& scrollView) override;
    void scrollViewDidEndScrolling(UIScrollView& scrollView) override;

  private:
    void attachParts();
    void observe(const std::shared_ptr<UIScrollView>& scrollView);
    void layoutItems();
    void showSelection(long from, long to, CGFloat percent);
    void select(long index);
    void clickItem(long index);
    void scrollSelectedItemIntoSight();

    std::weak_ptr<JXSegmentedViewDataSource> dataSource_;
    std::weak_ptr<JXSegmentedViewDelegate> delegate_;
    std::weak_ptr<JXSegmentedViewListContainer> listContainer_;
    std::weak_ptr<UIScrollView> contentScrollView_;
    std::vector<std::shared_ptr<JXSegmentedIndicatorBaseView>> indicators_;
    std::shared_ptr<UIScrollView> strip_;
    std::shared_ptr<UITapGestureRecognizer> tap_;
    std::vector<std::shared_ptr<UIView>> items_;
    std::vector<CGRect> frames_;
    std::vector<CGFloat> contentWidths_;
    long selectedIndex_ = 0;
    bool loaded_ = false;
    bool partsAttached_ = false;
};
