#include "MainController/Theme/Controller/KKequationpillViewController.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/PosterImage.h"
#include "MainController/Theme/Cell/KKditchgaze.h"
#include "MainController/Theme/View/ThemeBar.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Network/KKriplog.h"
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
    // Each answer also carries the topic for the header.
    films_->setListener([weak = weakSelf()](const PagedListBase::Update& update) {
        auto self = weak.lock();
        if (self && update.answer) {
            self->updateHeader(*update.answer);
        }
    });
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

    films_->attach(tableView_, std::static_pointer_cast<QMUICommonViewController>(sharedController()));
}

void KKequationpillViewController::fetchFilms(int page, PagedListBase::Completion completion) {
    apiClient.themeInfo(page, topic_id, kPageSize, std::move(completion));
}

std::vector<KKfinancerub> KKequationpillViewController::filmsOf(const JSON& answer) {
    return PagedList<KKfinancerub>::eachElement(answer["vod_list"]);
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
    return static_cast<long>(films_->size());
}

std::shared_ptr<UITableViewCell> KKequationpillViewController::cellForRowAt(UITableView& tableView,
                                                                            const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKditchgaze>(tableView, indexPath);
    const KKfinancerub* film = films_->at(indexPath.row());
    if (!film) {
        return cell;
    }
    loadPoster(cell->kkdrainexempt(), film->vodPic);
    cell->desc()->setText(film->blurb.value_or(""));
    cell->name()->setText(film->vodName.value_or(""));
    cell->classType()->setText(film->classTypeName.value_or(""));
    return cell;
}

std::optional<CGFloat> KKequationpillViewController::heightForRowAt(UITableView&, const NSIndexPath&) {
    return kRowHeight;
}

std::shared_ptr<UIView> KKequationpillViewController::viewForHeaderInSection(UITableView&, long) {
    return kkgrapeleap();
}

std::optional<CGFloat> KKequationpillViewController::heightForHeaderInSection(UITableView& tableView, long) {
    if (films_->empty()) {
        return kEmptyHeaderHeight;
    }
    // The introduction wraps at the table's width; its caption's bottom decides the height.
    return kkgrapeleap()->contentHeight(tableView.bounds().size.width);
}

std::optional<CGFloat> KKequationpillViewController::heightForFooterInSection(UITableView&, long) {
    return 0;
}

void KKequationpillViewController::didSelectRowAt(UITableView&, const NSIndexPath& indexPath) {
    const KKfinancerub* film = films_->at(indexPath.row());
    if (!film) {
        return;
    }
    auto resources = std::make_shared<KKgiganticgloomy>();
    resources->vod_id = film->vodId.value_or("");
    showViewController(resources, nullptr);
}

void KKequationpillViewController::didScroll(UIScrollView& scrollView) {
    fadeThemeBar(*kkexemptconvention(), scrollView);
}
