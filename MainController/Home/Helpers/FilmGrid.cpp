#include "MainController/Home/Helpers/FilmGrid.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/KKcreatesymphony.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
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
    const auto films = films_.lock();
    return films ? static_cast<long>(films->size()) : 0;
}

std::shared_ptr<UICollectionViewCell> FilmGridDataSource::cellForItemAt(UICollectionView& collectionView,
                                                                        const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKcreatesymphony>(collectionView, indexPath);
    const auto films = films_.lock();
    if (const KKfinancerub* film = films ? films->at(indexPath.item) : nullptr) {
        cell->configure(*film);
    }
    return cell;
}

void openFilm(const FilmList& films, long item, UIViewController& from) {
    const KKfinancerub* film = films.at(item);
    if (!film) {
        return;
    }
    auto page = std::make_shared<KKgiganticgloomy>();
    page->vod_id = film->vodId.value_or("");
    from.showViewController(page, nullptr);
}
