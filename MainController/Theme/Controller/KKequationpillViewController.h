#pragma once

#include "MainController/Theme/View/KKgazecriticize.h"
#include "app/Base/BaseViewController.h"
#include "app/Base/PagedList.h"
#include "app/Models/KKfinancerub.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/UIKit/Controls/UITableView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// One topic: its head (picture, name, film count, introduction) above its films as rows,
// page by page from the service. The page draws its own bar, which fades in as the table
// scrolls; a film opens its resource list.
class KKequationpillViewController : public BaseViewController,
                                     public UITableViewDataSource,
                                     public UITableViewDelegate {
  public:
    static constexpr const char* kPageSize = "15";
    static constexpr CGFloat kRowHeight = 160;
    static constexpr CGFloat kEmptyHeaderHeight = 430;

    // The topic shown; set by the opener before the page is shown.
    std::string topic_id;

    bool preferredNavigationBarHidden() const override { return true; }
    void viewDidLoad() override;

    const std::shared_ptr<UIView>& kkexemptconvention();
    const std::shared_ptr<QMUIButton>& kkdilemmaspectacular();
    const std::shared_ptr<KKgazecriticize>& kkgrapeleap();
    const std::shared_ptr<UITableView>& tableView();

    const std::vector<KKfinancerub>& list() const { return films_->items(); }
    int page() const { return films_->page(); }

    void setupUI();
    // Writes one answer's topic into the header.
    void updateHeader(const JSON& answer);

    long numberOfRowsInSection(UITableView& tableView, long section) override;
    std::shared_ptr<UITableViewCell> cellForRowAt(UITableView& tableView,
                                                  const NSIndexPath& indexPath) override;
    std::optional<CGFloat> heightForRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    std::shared_ptr<UIView> viewForHeaderInSection(UITableView& tableView, long section) override;
    std::optional<CGFloat> heightForHeaderInSection(UITableView& tableView, long section) override;
    std::optional<CGFloat> heightForFooterInSection(UITableView& tableView, long section) override;
    void didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) override;
    void didScroll(UIScrollView& scrollView) override;

  private:
    std::weak_ptr<KKequationpillViewController> weakSelf();
    void fetchFilms(int page, PagedListBase::Completion completion);
    // The films of one answer: its "vod_list".
    static std::vector<KKfinancerub> filmsOf(const JSON& answer);

    std::shared_ptr<UIView> kkexemptconvention_;
    std::shared_ptr<QMUIButton> kkdilemmaspectacular_;
    std::shared_ptr<KKgazecriticize> kkgrapeleap_;
    std::shared_ptr<UITableView> tableView_;
    // The films shown stay until the first page's answer replaces them. They belong to this
    // page alone: they ask a page only while the page exists.
    std::shared_ptr<PagedList<KKfinancerub>> films_ = PagedList<KKfinancerub>::make(
        [this](int page, PagedListBase::Completion completion) { fetchFilms(page, std::move(completion)); },
        {}, &KKequationpillViewController::filmsOf);
};
