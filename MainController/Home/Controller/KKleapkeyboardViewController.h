#pragma once

#include "MainController/Home/Helpers/FilmGrid.h"
#include "app/Base/BaseViewController.h"
#include "platform/JXSegmentedView/JXSegmentedListContainerView.h"
#include "platform/UIKit/Controls/UICollectionView.h"

#include <cstdint>
#include <memory>

class FilmGridDataSource;

// A category tab of the home page: the category's films from "api/indexVodList" as a
// paged three-column poster grid with pull-down refresh and load-more. A poster opens
// the film's resource list.
class KKleapkeyboardViewController : public BaseViewController,
                                     public JXSegmentedListContainerViewListDelegate,
                                     public UICollectionViewDelegate {
  public:
    // The category, set by the home page before the page's view loads.
    std::int64_t type_id = 0;

    // The page asked last (1 after each pull-down).
    int page() const { return films_ ? films_->page() : 1; }
    const std::shared_ptr<FilmList>& films() const { return films_; }
    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }

    void viewDidLoad() override;
    std::shared_ptr<UIView> listView() override { return view(); }
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;

  private:
    void setupUI();

    std::shared_ptr<FilmList> films_;
    std::shared_ptr<FilmGridDataSource> gridSource_;
    std::shared_ptr<UICollectionView> collectionView_;
};
