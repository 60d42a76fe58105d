#pragma once

#include "MainController/Home/Helpers/FilmPages.h"
#include "platform/UIKit/Controls/UICollectionView.h"

#include <memory>

class UIViewController;

// What the category page and the more-list page share: a three-column grid of poster
// cells (four columns on a tablet) over the films of a FilmPages, with a pull-down refresh
// and a load-more footer.

// The grid's item: a third of the width left between the insets and gaps (a quarter on a
// tablet), 16:9 upright.
CGSize filmGridItemSize();
// A vertical grid of KKcreatesymphony cells with the given section insets.
std::shared_ptr<UICollectionView> makeFilmGrid(const UIEdgeInsets& sectionInset);

// The grid's cells: one poster cell per film of the pages, in order.
class FilmGridDataSource : public UICollectionViewDataSource {
  public:
    explicit FilmGridDataSource(std::weak_ptr<FilmPages> pages) : pages_(std::move(pages)) {}

    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;

  private:
    std::weak_ptr<FilmPages> pages_;
};

// Puts the pull-down header (asks page 1 again, leaving the footer's no-more-data state)
// and the load-more footer (asks the next page) on the grid; both hold the pages weakly.
void attachFilmRefreshControls(UICollectionView& grid, const std::shared_ptr<FilmPages>& pages);
// Shows an answer of the pages: both controls stop, the footer says when there is no more,
// and the grid shows the films.
void showFilmPagesUpdate(UICollectionView& grid, const FilmPages::Update& update);
// Opens the resource list of the film at `item` from `from`; nothing past the films.
void openFilm(const FilmPages& pages, long item, UIViewController& from);
