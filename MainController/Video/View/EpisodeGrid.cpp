#include "MainController/Video/View/EpisodeGrid.h"

#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

std::shared_ptr<UICollectionView>
makeEpisodeGrid(const UIEdgeInsets& sectionInset, const std::shared_ptr<UICollectionViewDelegate>& delegate,
                const std::shared_ptr<UICollectionViewDataSource>& dataSource) {
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setScrollDirection(UICollectionViewScrollDirection::vertical);
    layout->setMinimumLineSpacing(10);
    layout->setMinimumInteritemSpacing(10);
    layout->setItemSize(CGSize{(screenWidth() - 60) * 0.25, 50});
    layout->setSectionInset(sectionInset);
    auto grid = std::make_shared<UICollectionView>(CGRectZero, layout);
    grid->setDelegate(delegate);
    grid->setDataSource(dataSource);
    grid->setBackgroundColor(UIColor::whiteColor());
    grid->registerClass<KKintegratecompatible>(classNameOf<KKintegratecompatible>());
    return grid;
}
