#pragma once

#include "app/Base/BaseCells.h"
#include "platform/Foundation/JSON.h"
#include "platform/UIKit/Controls/UICollectionView.h"

#include <memory>
#include <optional>
#include <vector>

// The recommend page's first row: a horizontal strip of recommendation cards, one per
// object of "rec". The cell is its strip's data source.
class KKgrainreform : public BaseTableViewCell,
                      public UICollectionViewDataSource,
                      public UICollectionViewDelegate {
  public:
    explicit KKgrainreform(UITableViewCellStyle style = UITableViewCellStyle::defaultStyle,
                           const std::string& reuseIdentifier = {});

    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }
    // The card objects; none until the owner sets them (then the owner reloads the strip).
    std::optional<std::vector<JSON>> list;

    void didMoveToSuperview() override;

    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;

  private:
    void setupUI();

    std::shared_ptr<UICollectionView> collectionView_;
    bool setUp_ = false;
};
