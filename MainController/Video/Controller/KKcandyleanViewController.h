#pragma once

#include "MainController/Video/Cell/KKSuper.h"
#include "MainController/Video/Model/KKcontrastpierce.h"
#include "MainController/Video/Model/ShortVideoLoader.h"
#include "app/Base/BaseViewController.h"
#include "platform/Foundation/NSError.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/SJMediaCacheServer/MCSPrefetchTask.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class KKlenscontaminate;

// The short-video tab: a full-height, vertically paged feed in which the video that fills
// the screen plays by itself, its neighbours are prefetched into the media cache proxy
// and more videos are asked for near the end. A left swipe opens the grid of short
// videos. The grid opens a second instance, the full-screen variant (`isShowFull`), on
// its own copy of the list, starting at `index`, with a back button.
class KKcandyleanViewController : public BaseViewController,
                                  public UICollectionViewDataSource,
                                  public UICollectionViewDelegateFlowLayout {
  public:
    // What each neighbour's prefetch may cache.
    static constexpr std::uint64_t prefetchSize = 104'857'600;

    // The name under which the media cache proxy keeps an address: the address as given
    // without its fragment (which never reaches a server), so that no two different
    // media share one. Installed for the whole process at launch.
    static std::string assetIdentifier(const std::string& url);

    // Set by the grid before the page is shown.
    long index = 0;
    bool isShowFull = false;
    ShortVideoItems list;

    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }
    const std::shared_ptr<KKSuper>& curPlayer() const { return curPlayer_; }
    // The back button of the full-screen variant (none in the tab).
    const std::shared_ptr<QMUIButton>& kkdilemmaspectacular() const { return kkdilemmaspectacular_; }

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    bool shouldAutorotate() const override { return false; }
    bool preferredNavigationBarHidden() const override { return true; }

    // Makes the most visible cell's player the current one and plays it, unless the
    // person paused it.
    void playVisibleCell();

    // UICollectionViewDataSource, UICollectionViewDelegateFlowLayout
    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;
    std::optional<CGSize> sizeForItemAt(UICollectionView& collectionView, UICollectionViewLayout& layout,
                                        const NSIndexPath& indexPath) override;
    void willDisplay(UICollectionView& collectionView, UICollectionViewCell& cell,
                     const NSIndexPath& indexPath) override;
    void didEndDragging(UIScrollView& scrollView, bool willDecelerate) override;
    void didEndDecelerating(UIScrollView& scrollView) override;
    void didScrollToTop(UIScrollView& scrollView) override;

  protected:
    virtual void setupUI();

  private:
    std::shared_ptr<KKcandyleanViewController> self();
    void loadMore();
    void appendItems(const std::optional<ShortVideoItems>& items);
    void configure(KKlenscontaminate& cell, long item);
    std::shared_ptr<MCSPrefetchTask> prefetch(long item);
    void scrollToStartItem();
    void swipeRight();
    void showAllEpisodes(const std::string& vodId, const std::string& title);
    void handleVideoInfo(const std::optional<JSON>& json, const std::optional<NSError>& error,
                         const std::string& title);
    void showSharePoster(const std::shared_ptr<KKcontrastpierce>& item);

    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<QMUIButton> kkdilemmaspectacular_;
    std::shared_ptr<KKSuper> curPlayer_;
    std::shared_ptr<MCSPrefetchTask> prePrefetchTask_;
    std::shared_ptr<MCSPrefetchTask> nextPrefetchTask_;
    ShortVideoLoader loader_;
    bool lookingUpEpisodes_ = false;
};
