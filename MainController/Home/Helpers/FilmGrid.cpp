#include "MainController/Home/Helpers/FilmGrid.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/KKcreatesymphony.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"
#include "platform/UIKit/UIDevice.h"

CGSize filmGridItemSize() {
    const bool tablet = UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::pad;
    const CGFloat width = tablet ? (screenWidth() - 60) / 4 : (screenWidth() - 50) / 3;
    return {width, width * 16 / 9};
}

std::shared_ptr<UICollectionView> makeFilmGrid(const UIEdgeInsets& sectionInset) {
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setMinimumLineSpacing(10);
    layout->setMinimumInteritemSpacing(9);
    layout->setItemSize(filmGridItemSize());
    layout->setSectionInset(sectionInset);
    auto grid = std::make_shared<UICollectionView>(CGRectZero, layout);
    grid->setBackgroundColor(UIColor::clearColor());
    grid->registerClass<KKcreatesymphony>(classNameOf<KKcreatesymphony>());
    return grid;
}

long FilmGridDataSource::numberOfItemsInSection(UICollectionView&, long) {
    const auto pages = pages_.lock();
    return pages ? static_cast<long>(pages->list().size()) : 0;
}

std::shared_ptr<UICollectionViewCell> FilmGridDataSource::cellForItemAt(UICollectionView& collectionView,
                                                                        const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKcreatesymphony>(collectionView, indexPath);
    const auto pages = pages_.lock();
    if (pages && indexPath.item >= 0 && static_cast<std::size_t>(indexPath.item) < pages->list().size()) {
        cell->configure(pages->list()[static_cast<std::size_t>(indexPath.item)]);
    }
    return cell;
}

void attachFilmRefreshControls(UICollectionView& grid, const std::shared_ptr<FilmPages>& pages) {
    std::weak_ptr<FilmPages> weakPages = pages;
    std::weak_ptr<UIView> weakGrid = grid.sharedView();
    grid.setMj_header(MJRefreshNormalHeader::headerWithRefreshingBlock([weakPages, weakGrid] {
        const auto pages = weakPages.lock();
        const auto grid = std::static_pointer_cast<UIScrollView>(weakGrid.lock());
        if (!pages || !grid) {
            return;
        }
        if (grid->mj_footer()) {
            grid->mj_footer()->resetNoMoreData();
        }
        pages->refresh();
    }));
    grid.setMj_footer(MJRefreshAutoNormalFooter::footerWithRefreshingBlock([weakPages] {
        if (const auto pages = weakPages.lock()) {
            pages->loadMore();
        }
    }));
}

void showFilmPagesUpdate(UICollectionView& grid, const FilmPages::Update& update) {
    if (grid.mj_header()) {
        grid.mj_header()->endRefreshing();
    }
    if (const auto& footer = grid.mj_footer()) {
        if (update.reachedEnd) {
            footer->endRefreshingWithNoMoreData();
        } else if (footer->state() != MJRefreshState::noMoreData) {
            footer->endRefreshing();
        }
    }
    if (update.succeeded) {
        grid.reloadData();
    }
}

void openFilm(const FilmPages& pages, long item, UIViewController& from) {
    if (item < 0 || static_cast<std::size_t>(item) >= pages.list().size()) {
        return;
    }
    auto page = std::make_shared<KKgiganticgloomy>();
    page->vod_id = pages.list()[static_cast<std::size_t>(item)].vodId.value_or("");
    from.showViewController(page, nullptr);
}
