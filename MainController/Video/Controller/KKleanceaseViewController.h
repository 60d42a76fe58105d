#pragma once

#include "MainController/Video/Model/ShortVideoLoader.h"
#include "app/Base/BaseViewController.h"
#include "app/Base/PagedList.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <memory>

// The page "短视频" that a left swipe on the feed opens: the short videos as a grid of
// cover tiles with pull-to-refresh and load-more; a tile opens the feed in its
// full-screen variant on that video.
class KKleanceaseViewController : public BaseViewController,
                                  public UICollectionViewDataSource,
                                  public UICollectionViewDelegateFlowLayout {
  public:
    // The tiles in display order: every answer appended as it came, repeats included.
    const ShortVideoItems& list() const { return tiles_->items(); }

    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }
    const std::shared_ptr<QMUIButton>& kkdilemmaspectacular() const { return kkdilemmaspectacular_; }

    void viewDidLoad() override;
    bool preferredNavigationBarHidden() const override { return true; }

    // UICollectionViewDataSource, UICollectionViewDelegateFlowLayout
    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;

  protected:
    virtual void setupUI();

  private:
    std::shared_ptr<KKleanceaseViewController> self();
    // The service has one page of short videos: the pull-down and the footer both ask it,
    // the footer appending its answer.
    static void fetchTiles(int page, PagedListBase::Completion completion);

    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<QMUIButton> kkdilemmaspectacular_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<PagedList<std::shared_ptr<KKcontrastpierce>>> tiles_ =
        PagedList<std::shared_ptr<KKcontrastpierce>>::make(
            &KKleanceaseViewController::fetchTiles, {.pullDownEmptiesRows = true, .endsAtEmptyPage = false},
            &shortVideoItems);
};
