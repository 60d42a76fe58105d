#pragma once

#include "platform/Foundation/JSON.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <functional>
#include <memory>
#include <vector>

// The episode strip: a 300-point panel that slides in from the right over the player in
// full screen, listing the episodes as tiles with the current one marked. A tile tap
// tells the page and slides the strip out; a tap on the dimmed rest closes it.
class KKenrichchop : public UIView,
                     public UICollectionViewDataSource,
                     public UICollectionViewDelegateFlowLayout {
  public:
    static constexpr CGFloat panelWidth = 300;

    static std::shared_ptr<KKenrichchop> make();
    KKenrichchop() = default;

    const std::shared_ptr<UIView>& kkcurrencyguidance() const { return kkcurrencyguidance_; }
    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }

    // The current episode's tile.
    NSIndexPath index = NSIndexPath::indexPathForItem(0, 0);
    // Told which tile was tapped.
    std::function<void(const NSIndexPath&)> kkbenefitcompetent;
    // One episode object per tile ("item" is its caption).
    std::vector<JSON> list;

    // Slides the panel in (0.3 s).
    void show();
    // Slides the panel out (0.3 s), then removes the strip from its superview.
    void hide();

    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;

  private:
    void setUp();
    void slide(CGFloat rightOffset, std::function<void(bool)> completion);

    std::shared_ptr<UIView> kkcurrencyguidance_;
    std::shared_ptr<UICollectionView> collectionView_;
};
