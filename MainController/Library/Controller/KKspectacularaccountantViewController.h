#pragma once

#include "MainController/Library/Model/LibraryFilters.h"
#include "MainController/Library/View/KKtyrepuzzle.h"
#include "app/Base/BaseViewController.h"
#include "app/Base/PagedList.h"
#include "app/Models/KKfinancerub.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/Controls/UICollectionView.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The library tab: the whole catalogue as a three-column poster grid, narrowed by five
// filter rows (type, class, area, language, year) that head the grid. The filter tree comes
// from the service and is kept in the user defaults; the grid pages through the service's
// film list with exactly the filters chosen. The top bar's "主题" button opens the topics,
// a poster opens that film's resource list.
class KKspectacularaccountantViewController : public BaseViewController,
                                              public UICollectionViewDataSource,
                                              public UICollectionViewDelegateFlowLayout {
  public:
    static constexpr const char* kPageSize = "15";

    bool preferredNavigationBarHidden() const override { return true; }
    void viewDidLoad() override;

    const std::shared_ptr<UIView>& kkexemptconvention();
    const std::shared_ptr<QMUILabel>& kkconverselyregulation();
    const std::shared_ptr<QMUIButton>& kkregulationmaintain();
    const std::shared_ptr<UICollectionView>& collectionView();
    // The filter header, once the grid has asked for it with a tree at hand.
    const std::shared_ptr<KKtyrepuzzle>& kkgrapeleap() const { return kkgrapeleap_; }

    const std::vector<KKfinancerub>& list() const { return films_->items(); }
    const LibraryFilters& filters() const { return filters_; }
    const std::optional<std::vector<JSON>>& tagList() const { return tagList_; }
    int page() const { return films_->page(); }
    bool isLoad() const { return films_->hasAnswered(); }

    void setupUI();
    // The filter tree: the stored one at once, then the service's. The pull-down and the
    // footer run it before their page leaves.
    void loadData();
    // Asks `page` of the films with the filters as they now are.
    void loadList(int page, PagedListBase::Completion completion);

    // Grid.
    long numberOfItemsInSection(UICollectionView& collectionView, long section) override;
    std::shared_ptr<UICollectionViewCell> cellForItemAt(UICollectionView& collectionView,
                                                        const NSIndexPath& indexPath) override;
    std::shared_ptr<UICollectionReusableView>
    viewForSupplementaryElementOfKind(UICollectionView& collectionView, const std::string& kind,
                                      const NSIndexPath& indexPath) override;
    std::optional<CGSize> referenceSizeForHeaderInSection(UICollectionView& collectionView,
                                                          UICollectionViewLayout& layout,
                                                          long section) override;
    void didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) override;

  private:
    std::weak_ptr<KKspectacularaccountantViewController> weakSelf();
    void handleTagList(const std::optional<JSON>& json);
    // Starts over with the filters as they now are.
    void filtersChanged();
    void assignFilterCallbacks(KKtyrepuzzle& header);
    void openTopics();

    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<QMUILabel> kkconverselyregulation_;
    std::shared_ptr<QMUIButton> kkregulationmaintain_;
    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<KKtyrepuzzle> kkgrapeleap_;
    // The films belong to this page alone: they ask a page only while the page exists.
    std::shared_ptr<PagedList<KKfinancerub>> films_ = PagedList<KKfinancerub>::make(
        [this](int page, PagedListBase::Completion completion) { loadList(page, std::move(completion)); },
        {.hidesFooterWhenEmpty = true, .emptyView = PagedListStyle::EmptyView::onceAnswered});
    LibraryFilters filters_;
    std::optional<std::vector<JSON>> tagList_;
};
