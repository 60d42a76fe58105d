#pragma once

#include "app/Base/PagedList.h"
#include "app/Models/KKfinancerub.h"
#include "platform/UIKit/Controls/UICollectionView.h"

#include <memory>

class UIViewController;

// What the category page and the more-list page share: a three-column grid of poster
// cells (four columns on a tablet) over a paged list of films.

using FilmList = PagedList<KKfinancerub>;

// The page size every paged film list sends.
inline constexpr const char* kFilmPageSize = "15";

// The grid's item: a third of the width left between the insets and gaps (a quarter on a
// tablet), 16:9 upright.
CGSize filmGridItemSize();
// A vertical grid of KKcreatesymphony cells with the given section insets.
std::shared_ptr<UICollectionView> makeFilmGrid(const UIEdgeInsets& sectionInset);

// The grid's cells: one poster cell per film of the list, in order.
class FilmGridDataSource : public UICollectionViewDataSource {
  public:
    explicit FilmGridDataSource(std::weak_ptr<FilmList> films) : films_(std::move(films)) {}

    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;

  private:
    std::weak_ptr<FilmList> films_;
};

// Opens the resource list of the film at `item` from `from`; nothing past the films.
void openFilm(const FilmList& films, long item, UIViewController& from);
