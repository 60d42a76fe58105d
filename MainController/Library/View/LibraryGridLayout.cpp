#include "MainController/Library/View/LibraryGridLayout.h"

#include "app/Constants/ModuleConstants.h"

std::shared_ptr<UICollectionViewFlowLayout> makeLibraryGridLayout() {
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setScrollDirection(UICollectionViewScrollDirection::vertical);
    layout->setMinimumLineSpacing(10);
    layout->setMinimumInteritemSpacing(9);
    layout->setSectionInset(UIEdgeInsetsMake(10, 15, 0, 15));
    const CGFloat width = (screenWidth() - 50) / 3;
    layout->setItemSize(CGSizeMake(width, width * 16 / 9));
    return layout;
}
