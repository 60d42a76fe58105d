#pragma once

#include "MainController/Library/Model/LibraryFilters.h"
#include "MainController/Library/Model/PagedList.h"
#include "MainController/Library/View/KKtyrepuzzle.h"
#include "app/Base/BaseViewController.h"
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

    const std::vector<KKfinancerub>& list() const { return list_.items(); }
    const LibraryFilters& filters() const { return filters_; }
    const std::optional<std::vector<JSON>>& tagList() const { return tagList_; }
    int page() const { return list_.page(); }
    bool isLoad() const { return isLoad_; }

    void setupUI();
    // The filter tree (the stored one at once, then the service's), and the current page.
    void loadData();
    void loadList();

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
    using Request = PagedList<KKfinancerub>::Request;

    std::weak_ptr<KKspectacularaccountantViewController> weakSelf();
    void handleTagList(const std::optional<JSON>& json);
    void handleFilmPage(const Request& request, const std::optional<JSON>& json);
    // Starts over with the filters as they now are.
    void filtersChanged();
    void assignFilterCallbacks(KKtyrepuzzle& header);
    void endRefreshing();
    void updateEmptyView();
    void openTopics();

    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<QMUILabel> kkconverselyregulation_;
    std::shared_ptr<QMUIButton> kkregulationmaintain_;
    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<KKtyrepuzzle> kkgrapeleap_;
    PagedList<KKfinancerub> list_;
    LibraryFilters filters_;
    std::optional<std::vector<JSON>> tagList_;
    // The request whose answer the grid waits for.
    Request current_;
    bool isLoad_ = false;
};
