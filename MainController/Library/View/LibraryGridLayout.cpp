#include "MainController/Library/View/LibraryGridLayout.h"

#include "app/Constants/ModuleConstants.h"
#include "platform/UIKit/UIDevice.h"

std::shared_ptr<UICollectionViewFlowLayout> makeLibraryGridLayout() {
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setScrollDirection(UICollectionViewScrollDirection::vertical);
    layout->setMinimumLineSpacing(10);
    layout->setMinimumInteritemSpacing(9);
    layout->setSectionInset(UIEdgeInsetsMake(10, 15, 0, 15));
    const bool tablet = UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::pad;
    const CGFloat width = tablet ? (screenWidth() - 60) / 4 : (screenWidth() - 50) / 3;
    layout->setItemSize(CGSizeMake(width, width * 16 / 9));
    return layout;
}
