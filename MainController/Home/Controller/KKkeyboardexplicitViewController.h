#pragma once

#include "MainController/Home/Helpers/FilmGrid.h"
#include "app/Base/BaseViewController.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/UIImageView.h"

#include <cstdint>
#include <memory>

class FilmGridDataSource;

// The full list behind a recommend shelf's "更多>": the category's films from
// "api/indexVodRecList" as a paged poster grid under a backdrop made from the first film's
// poster, with a bar of its own (back button and the page's title) that turns opaque while
// the grid scrolls up and the backdrop fades out. A poster opens the film's resource list.
class KKkeyboardexplicitViewController : public BaseViewController, public UICollectionViewDelegate {
  public:
    // The category, set by the opener with the page's title before the page is shown.
    std::int64_t type_id = 0;

    const std::shared_ptr<UIImageView>& backgroundView() const { return backgroundView_; }
    const std::shared_ptr<UIView>& kkexemptconvention() const { return kkexemptconvention_; }
    const std::shared_ptr<QMUIButton>& kkdilemmaspectacular() const { return kkdilemmaspectacular_; }
    const std::shared_ptr<QMUILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }
    const std::shared_ptr<FilmList>& films() const { return films_; }
    int page() const { return films_ ? films_->page() : 1; }

    bool preferredNavigationBarHidden() const override { return true; }
    void viewDidLoad() override;
    void didScroll(UIScrollView& scrollView) override;
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;

    // Fades the backdrop out and the bar in as the grid scrolls up by `offsetY` (fully
    // at 100 points).
    void updateHeaderFade(CGFloat offsetY);

  private:
    void setupUI();
    // The title and the first film's poster as the backdrop, after each answer.
    void showAnswer();

    std::shared_ptr<UIImageView> backgroundView_;
    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<QMUIButton> kkdilemmaspectacular_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<FilmList> films_;
    std::shared_ptr<FilmGridDataSource> gridSource_;
};
