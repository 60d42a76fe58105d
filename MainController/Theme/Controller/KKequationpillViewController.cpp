#include "MainController/Theme/Controller/KKequationpillViewController.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/PosterImage.h"
#include "MainController/Theme/Cell/KKditchgaze.h"
#include "MainController/Theme/View/ThemeBar.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/MJRefresh/MJRefreshFooter.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/SnapKit/ConstraintMaker.h"

namespace {

// After an answer the header lays out its new texts; the rows are placed again under it.
constexpr double kHeaderRelayoutDelay = 0.1;

} // namespace

std::weak_ptr<KKequationpillViewController> KKequationpillViewController::weakSelf() {
    return std::static_pointer_cast<KKequationpillViewController>(shared_from_this());
}

void KKequationpillViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    tableView()->mj_header()->beginRefreshing();
}

const std::shared_ptr<UIView>& KKequationpillViewController::kkexemptconvention() {
    if (!kkexemptconvention_) {
        kkexemptconvention_ = makeThemeBar();
    }
    return kkexemptconvention_;
}

const std::shared_ptr<QMUIButton>& KKequationpillViewController::kkdilemmaspectacular() {
    if (!kkdilemmaspectacular_) {
        kkdilemmaspectacular_ = makeThemeBackButton(*this);
    }
    return kkdilemmaspectacular_;
}

const std::shared_ptr<KKgazecriticize>& KKequationpillViewController::kkgrapeleap() {
    if (!kkgrapeleap_) {
        kkgrapeleap_ = KKgazecriticize::make();
    }
    return kkgrapeleap_;
}

const std::shared_ptr<UITableView>& KKequationpillViewController::tableView() {
    if (!tableView_) {
        tableView_ = std::make_shared<UITableView>(CGRectZero, UITableViewStyle::grouped);
        tableView_->setBackgroundColor(UIColor::whiteColor());
        tableView_->setSeparatorStyle(UITableViewCellSeparatorStyle::none);
        tableView_->setEstimatedRowHeight(0);
        tableView_->setEstimatedSectionHeaderHeight(0);
        tableView_->setEstimatedSectionFooterHeight(0);
        tableView_->setKeyboardDismissMode(UIScrollViewKeyboardDismissMode::onDrag);
        tableView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
        tableView_->setContentInset(UIEdgeInsetsZero);
        tableView_->setScrollIndicatorInsets(UIEdgeInsetsZero);
        tableView_->setAccessibilityIdentifier("topic.films");
        tableView_->registerClass<KKditchgaze>(classNameOf<KKditchgaze>());
        auto self = std::static_pointer_cast<KKequationpillViewController>(shared_from_this());
        tableView_->setDataSource(self);
        tableView_->setDelegate(self);
    }
    return tableView_;
}

void KKequationpillViewController::setupUI() {
    const auto& root = view();
    root->addSubview(tableView());
    root->addSubview(kkexemptconvention());
    kkexemptconvention_->addSubview(kkdilemmaspectacular());

    tableView_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    kkexemptconvention_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(statusBarHeight() + 44);
    });
    kkdilemmaspectacular_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.bottom().equalToSuperview();
        make.size.equalTo(CGSizeMake(44, 44));
    });

    tableView_->setMj_header(MJRefreshNormalHeader::headerWithRefreshingBlock([weak = weakSelf()] {
        if (auto self = weak.lock()) {
            self->load(self->list_.firstPage());
            self->tableView_->mj_footer()->resetNoMoreData();
        }
    }));
    tableView_->setMj_footer(MJRefreshAutoNormalFooter::footerWithRefreshingBlock([weak = weakSelf()] {
        if (auto self = weak.lock()) {
            self->load(self->list_.nextPage());
        }
    }));
}

void KKequationpillViewController::load(const Request& request) {
    // The films shown stay until the first page's answer replaces them, so the table never
    // asks for a row the list no longer holds.
    apiClient.themeInfo(request.page, topic_id, kPageSize,
                        [weak = weakSelf(), request](std::optional<JSON> json, std::optional<NSError>) {
                            if (auto self = weak.lock()) {
                                self->handleAnswer(request, json);
                            }
                        });
}

void KKequationpillViewController::handleAnswer(const Request& request, const std::optional<JSON>& json) {
    if (!json) {
        // The client shows the service's message; the controls stop, and the next
        // load-more asks for the same page again.
        if (list_.fail(request)) {
            endRefreshing();
        }
        return;
    }
    std::vector<KKfinancerub> films;
    const std::vector<JSON> elements = (*json)["vod_list"].arrayValue();
    films.reserve(elements.size());
    for (const JSON& element : elements) {
        films.emplace_back(element);
    }
    if (!list_.accept(request, std::move(films))) {
        return;
    }
    updateHeader(*json);
    endRefreshing();
    if (elements.empty()) {
        tableView()->mj_footer()->endRefreshingWithNoMoreData();
    }
    tableView()->reloadData();
}

void KKequationpillViewController::endRefreshing() {
    tableView()->mj_header()->endRefreshing();
    tableView_->mj_footer()->endRefreshing();
}

void KKequationpillViewController::updateHeader(const JSON& answer) {
    const auto& header = kkgrapeleap();
    const std::string picture = answer["topic_pic"].stringValue();
    loadPoster(header->kkdrainexempt(), picture);
    loadPoster(header->backgroundView(), picture);
    header->kkappropriatepostpone()->setText("共" + answer["vod_num"].stringValue() + "个影片");
    header->titleLabel()->setText(answer["topic_name"].stringValue());
    header->kkcompetentingredient()->setText(answer["topic_blurb"].stringValue());
    mainQueue().asyncAfter(kHeaderRelayoutDelay, [weak = weakSelf()] {
        if (auto self = weak.lock()) {
            self->tableView()->reloadData();
        }
    });
}

long KKequationpillViewController::numberOfRowsInSection(UITableView&, long) {
    return static_cast<long>(list_.size());
}

std::shared_ptr<UITableViewCell> KKequationpillViewController::cellForRowAt(UITableView& tableView,
                                                                            const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKditchgaze>(tableView, indexPath);
    const KKfinancerub& film = list_.items().at(static_cast<std::size_t>(indexPath.row()));
    loadPoster(cell->kkdrainexempt(), film.vodPic);
    cell->desc()->setText(film.blurb.value_or(""));
    cell->name()->setText(film.vodName.value_or(""));
    cell->classType()->setText(film.classTypeName.value_or(""));
    return cell;
}

std::optional<CGFloat> KKequationpillViewController::heightForRowAt(UITableView&, const NSIndexPath&) {
    return kRowHeight;
}

std::shared_ptr<UIView> KKequationpillViewController::viewForHeaderInSection(UITableView&, long) {
    return kkgrapeleap();
}

std::optional<CGFloat> KKequationpillViewController::heightForHeaderInSection(UITableView& tableView, long) {
    if (list_.empty()) {
        return kEmptyHeaderHeight;
    }
    // The introduction wraps at the table's width; its caption's bottom decides the height.
    return kkgrapeleap()->contentHeight(tableView.bounds().size.width);
}

std::optional<CGFloat> KKequationpillViewController::heightForFooterInSection(UITableView&, long) {
    return 0;
}

void KKequationpillViewController::didSelectRowAt(UITableView&, const NSIndexPath& indexPath) {
    const auto index = static_cast<std::size_t>(indexPath.row());
    if (index >= list_.size()) {
        return;
    }
    auto resources = std::make_shared<KKgiganticgloomy>();
    resources->vod_id = list_.items()[index].vodId.value_or("");
    showViewController(resources, nullptr);
}

void KKequationpillViewController::didScroll(UIScrollView& scrollView) {
    fadeThemeBar(*kkexemptconvention(), scrollView);
}
