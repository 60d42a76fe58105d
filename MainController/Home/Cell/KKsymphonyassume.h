#pragma once

#include "app/Base/BaseCells.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UICollectionView.h"

#include <memory>
#include <optional>
#include <vector>

// A shelf of the recommend page: a rounded dark panel with the shelf's title, a "更多>"
// button whose tap the owner sets, and a horizontal strip of posters. The cell is its
// strip's data source and delegate; a tapped poster opens the film's resource list.
class KKsymphonyassume : public BaseTableViewCell,
                         public UICollectionViewDataSource,
                         public UICollectionViewDelegate {
  public:
    explicit KKsymphonyassume(UITableViewCellStyle style = UITableViewCellStyle::defaultStyle,
                              const std::string& reuseIdentifier = {});

    const std::shared_ptr<UIView>& kkaccountanttense() const { return kkaccountanttense_; }
    const std::shared_ptr<QMUILabel>& title() const { return title_; }
    const std::shared_ptr<QMUIButton>& moreBtn() const { return moreBtn_; }
    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }

    // The shelf's film objects; none until the owner sets them (then the owner reloads
    // the strip).
    std::optional<std::vector<JSON>> list;

    void didMoveToSuperview() override;

    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;

  private:
    void setupUI();
    const JSON* filmAt(const NSIndexPath& indexPath) const;

    std::shared_ptr<UIView> kkaccountanttense_;
    std::shared_ptr<QMUILabel> title_;
    std::shared_ptr<QMUIButton> moreBtn_;
    std::shared_ptr<UICollectionView> collectionView_;
    bool setUp_ = false;
};
