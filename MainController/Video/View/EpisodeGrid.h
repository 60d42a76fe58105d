#pragma once

#include "platform/UIKit/Controls/UICollectionView.h"

#include <memory>

// The white four-column grid of episode tiles (KKintegratecompatible) that the player page
// and the download picker show; only their section insets differ.
std::shared_ptr<UICollectionView>
makeEpisodeGrid(const UIEdgeInsets& sectionInset, const std::shared_ptr<UICollectionViewDelegate>& delegate,
                const std::shared_ptr<UICollectionViewDataSource>& dataSource);
