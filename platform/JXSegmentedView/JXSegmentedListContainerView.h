#pragma once

#include "platform/UIKit/Controls/UIScrollView.h"
#include "platform/UIKit/UIView.h"

#include <map>
#include <memory>

class JXSegmentedListContainerView;

// One page of a list container: usually a view controller that answers its view.
class JXSegmentedListContainerViewListDelegate {
  public:
    virtual ~JXSegmentedListContainerViewListDelegate() = default;
    virtual std::shared_ptr<UIView> listView() = 0;
    virtual void listWillAppear() {}
    virtual void listDidAppear() {}
    virtual void listWillDisappear() {}
    virtual void listDidDisappear() {}
};

class JXSegmentedListContainerViewDataSource {
  public:
    virtual ~JXSegmentedListContainerViewDataSource() = default;
    virtual long numberOfLists(JXSegmentedListContainerView& listContainerView) = 0;
    // The page for `index`, asked once, when the page is first needed.
    virtual std::shared_ptr<JXSegmentedListContainerViewListDelegate>
    initListAt(JXSegmentedListContainerView& listContainerView, long index) = 0;
};

// How a list container holds its pages. Both kinds page sideways in a scroll view here.
enum class JXSegmentedListContainerType { scrollView = 0, collectionView = 1 };

// What a segmented view needs of the container of its pages.
class JXSegmentedViewListContainer {
  public:
    virtual ~JXSegmentedViewListContainer() = default;
    virtual std::shared_ptr<UIScrollView> contentScrollView() = 0;
    virtual void setDefaultSelectedIndex(long index) = 0;
    // The page at `index` comes into sight at once (a tap on its title).
    virtual void didClickSelectedItemAt(long index) = 0;
    virtual void reloadData() = 0;
};

// The pages of a segmented view side by side in a paging scroll view. A page is made
// when it is first needed (shown, or swiped into sight) and kept; reloading drops them all.
class JXSegmentedListContainerView : public UIView,
                                     public JXSegmentedViewListContainer,
                                     public UIScrollViewObserver {
  public:
    // The data source is held weakly (it usually owns the container).
    explicit JXSegmentedListContainerView(
        const std::shared_ptr<JXSegmentedListContainerViewDataSource>& dataSource,
        JXSegmentedListContainerType type = JXSegmentedListContainerType::scrollView);
    ~JXSegmentedListContainerView() override;

    JXSegmentedListContainerType type() const { return type_; }
    const std::shared_ptr<UIScrollView>& scrollView() const { return scrollView_; }
    // The pages made so far, by index.
    const std::map<long, std::shared_ptr<JXSegmentedListContainerViewListDelegate>>& validListDict() const {
        return lists_;
    }
    long currentIndex() const { return currentIndex_; }

    std::shared_ptr<UIScrollView> contentScrollView() override { return scrollView_; }
    void setDefaultSelectedIndex(long index) override;
    void didClickSelectedItemAt(long index) override;
    void reloadData() override;

    void layoutSubviews() override;
    void didMoveToSuperview() override;
    void scrollViewContentOffsetDidChange(UIScrollView& scrollView) override;
    void scrollViewDidEndScrolling(UIScrollView& scrollView) override;

  private:
    void attachParts();
    long listCount();
    void ensureList(long index);
    void placeLists();
    void settle(long index);

    std::weak_ptr<JXSegmentedListContainerViewDataSource> dataSource_;
    JXSegmentedListContainerType type_;
    std::shared_ptr<UIScrollView> scrollView_;
    std::map<long, std::shared_ptr<JXSegmentedListContainerViewListDelegate>> lists_;
    long currentIndex_ = 0;
    long count_ = -1;
    bool partsAttached_ = false;
};
