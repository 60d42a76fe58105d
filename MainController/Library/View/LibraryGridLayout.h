#pragma once

#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <memory>

// The library grid's flow layout: three posters across (four on a tablet), each as tall
// as a 9:16 picture above a name band, 10 points between lines and 9 between posters,
// inset 10 at the top and 15 at the sides.
std::shared_ptr<UICollectionViewFlowLayout> makeLibraryGridLayout();
