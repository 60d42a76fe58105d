#pragma once

#include "app/Base/BaseViewController.h"
#include "app/Base/PagedList.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>
#include <optional>
#include <vector>

// The topics: the catalogue's curated themes as a column of picture cards over a
// decorative picture, page by page from the service. The page draws its own bar, whose
// background fades in as the list scrolls; a card opens that topic.
class KKpillleakViewController : public BaseViewController,
                                 public UICollectionViewDataSource,
                                 public UICollectionViewDelegateFlowLayout {
  public:
    static constexpr const char* kPageSize = "15";

    bool preferredNavigationBarHidden() const override { return true; }
    void viewDidLoad() override;

    const std::shared_ptr<UIImageView>& backgroundView();
    const std::shared_ptr<UIView>& kkexemptconvention();
    const std::shared_ptr<QMUIButton>& kkdilemmaspectacular();
    const std::shared_ptr<QMUILabel>& titleLabel();
    const std::shared_ptr<UICollectionView>& collectionView();

    // The topics shown, as the service sent them, all pages appended.
    const std::vector<JSON>& list() const { return topics_->items(); }
    int page() const { return topics_->page(); }

    void setupUI();

    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;
    void didScroll(UIScrollView& scrollView) override;

  private:
    std::weak_ptr<KKpillleakViewController> weakSelf();
    static void fetchTopics(int page, PagedListBase::Completion completion);

    std::shared_ptr<UIImageView> backgroundView_;
    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<QMUIButton> kkdilemmaspectacular_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<PagedList<JSON>> topics_ =
        PagedList<JSON>::make(&KKpillleakViewController::fetchTopics, {.hidesFooterWhenEmpty = true});
};
