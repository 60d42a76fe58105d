#include "MainController/Home/Controller/KKdomaingrapeViewController.h"

#include "MainController/Home/Cell/KKgrainreform.h"
#include "MainController/Home/Cell/KKsymphonyassume.h"
#include "MainController/Home/Cell/PosterImage.h"
#include "MainController/Home/Controller/KKkeyboardexplicitViewController.h"
#include "MainController/Home/Helpers/AdItem.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/SnapKit/ConstraintMaker.h"

namespace {

constexpr CGFloat kBannerInset = 15;

} // namespace

void KKdomaingrapeViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    tableView_->mj_header()->beginRefreshing();
}

void KKdomaingrapeViewController::setupUI() {
    const auto self = std::static_pointer_cast<KKdomaingrapeViewController>(sharedController());
    tableView_ = std::make_shared<UITableView>(CGRectZero, UITableViewStyle::grouped);
    tableView_->setDelegate(self);
    tableView_->setDataSource(self);
    tableView_->setEstimatedRowHeight(0);
    tableView_->setEstimatedSectionHeaderHeight(0);
    tableView_->setEstimatedSectionFooterHeight(0);
    tableView_->setSeparatorStyle(UITableViewCellSeparatorStyle::none);
    tableView_->setKeyboardDismissMode(UIScrollViewKeyboardDismissMode::onDrag);
    tableView_->setBackgroundColor(hexColor("28272C"));
    tableView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    tableView_->setContentInset({0, 0, 70, 0});
    tableView_->setScrollIndicatorInsets({0, 0, 50, 0});
    tableView_->registerClass<KKsymphonyassume>(classNameOf<KKsymphonyassume>());
    tableView_->registerClass<KKgrainreform>(classNameOf<KKgrainreform>());
    tableView_->setSectionHeaderTopPadding(0);
    view()->addSubview(tableView_);
    tableView_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    std::weak_ptr<KKdomaingrapeViewController> weak = self;
    tableView_->setMj_header(MJRefreshNormalHeader::headerWithRefreshingBlock([weak] {
        if (auto page = weak.lock()) {
            page->loadData();
        }
    }));
}

void KKdomaingrapeViewController::loadData() {
    std::weak_ptr<KKdomaingrapeViewController> weak =
        std::static_pointer_cast<KKdomaingrapeViewController>(sharedController());
    apiClient.sendRequest(HTTPMethod::get, "api/indexList", {},
                          [weak](std::optional<JSON> json, std::optional<NSError>) {
                              auto self = weak.lock();
                              if (!self) {
                                  return;
                              }
                              if (json) {
                                  self->rec_ = (*json)["rec"].array();
                                  self->banner_ = (*json)["banner"].array();
                                  self->recList_ = (*json)["recList"].array();
                                  self->tableView_->reloadData();
                                  if (self->kkdomaingrape_) {
                                      self->kkdomaingrape_->reloadView();
                                  }
                              }
                              self->tableView_->mj_header()->endRefreshing();
                          });
}

// ---- The table ----

long KKdomaingrapeViewController::numberOfSections(UITableView&) {
    if (!recList_) {
        return 0;
    }
    return static_cast<long>(recList_->size()) + (rec_ ? 1 : 0);
}

std::shared_ptr<UITableViewCell> KKdomaingrapeViewController::cellForRowAt(UITableView& tableView,
                                                                           const NSIndexPath& indexPath) {
    if (indexPath.section == 0 && rec_) {
        auto cell = dequeueReusableCell<KKgrainreform>(tableView, indexPath);
        cell->list = rec_;
        cell->collectionView()->reloadData();
        return cell;
    }
    auto cell = dequeueReusableCell<KKsymphonyassume>(tableView, indexPath);
    const long shelfIndex = indexPath.section - (rec_ ? 1 : 0);
    const JSON shelf = recList_ && shelfIndex >= 0 && static_cast<std::size_t>(shelfIndex) < recList_->size()
                           ? (*recList_)[static_cast<std::size_t>(shelfIndex)]
                           : JSON::absent();
    cell->list = shelf["list"].arrayValue();
    cell->collectionView()->reloadData();
    const std::string title = shelf["item"].stringValue();
    cell->title()->setText(title);
    const std::int64_t typeId = shelf["type_id"].int64Value();
    std::weak_ptr<KKdomaingrapeViewController> weak =
        std::static_pointer_cast<KKdomaingrapeViewController>(sharedController());
    cell->moreBtn()->setQmui_tapBlock([weak, typeId, title](UIControl&) {
        auto self = weak.lock();
        if (!self) {
            return;
        }
        auto more = std::make_shared<KKkeyboardexplicitViewController>();
        more->type_id = typeId;
        more->setTitle(title);
        self->showViewController(more, nullptr);
    });
    return cell;
}

std::optional<CGFloat> KKdomaingrapeViewController::heightForRowAt(UITableView&,
                                                                   const NSIndexPath& indexPath) {
    return indexPath.section == 0 && rec_ ? 276 : 216;
}

bool KKdomaingrapeViewController::showsBanner() const {
    return !userDefaults().boolForKey("clearAD");
}

std::optional<CGFloat> KKdomaingrapeViewController::heightForHeaderInSection(UITableView&, long section) {
    return section == 0 && showsBanner() ? screenWidth() * 0.5 + 2 * kBannerInset : 15;
}

std::shared_ptr<UIView> KKdomaingrapeViewController::viewForHeaderInSection(UITableView&, long section) {
    if (section != 0 || !showsBanner()) {
        return nullptr;
    }
    return bannerContainer();
}

const std::shared_ptr<UIView>& KKdomaingrapeViewController::bannerContainer() {
    if (kkgrapeleap_) {
        return kkgrapeleap_;
    }
    const auto self = std::static_pointer_cast<KKdomaingrapeViewController>(sharedController());
    kkgrapeleap_ = std::make_shared<UIView>();
    kkdomaingrape_ = std::make_shared<JXBanner>();
    kkdomaingrape_->layer()->setCornerRadius(5);
    kkdomaingrape_->setClipsToBounds(true);
    kkdomaingrape_->setBackgroundColor(hexColor("28272C"));
    if (const auto placeholder = placeholderImage()) {
        kkdomaingrape_->placeholderImgView()->setImage(placeholder);
    }
    kkdomaingrape_->setDataSource(self);
    kkdomaingrape_->setDelegate(self);
    kkgrapeleap_->addSubview(kkdomaingrape_);
    kkdomaingrape_->snp.makeConstraints(
        [](ConstraintMaker& make) { make.edges.equalToSuperview().inset(kBannerInset); });
    kkdomaingrape_->reloadView();
    return kkgrapeleap_;
}

// ---- The banner ----

JXBannerCellRegister KKdomaingrapeViewController::registerCell(JXBanner&) {
    return JXBannerCellRegister::of<JXBannerCell>("JXBannerCell");
}

long KKdomaingrapeViewController::numberOfItems(JXBanner&) {
    return banner_ ? static_cast<long>(banner_->size()) : 0;
}

std::shared_ptr<UICollectionViewCell>
KKdomaingrapeViewController::cellForItemAt(JXBanner&, long index,
                                           std::shared_ptr<UICollectionViewCell> cell) {
    auto bannerCell = std::dynamic_pointer_cast<JXBannerCell>(cell);
    if (!bannerCell) {
        return cell;
    }
    bannerCell->msgBgView()->setHidden(true);
    bannerCell->msgLabel()->setHidden(true);
    bannerCell->imageView()->setContentMode(UIViewContentMode::scaleAspectFill);
    if (banner_ && index >= 0 && static_cast<std::size_t>(index) < banner_->size()) {
        loadPoster(bannerCell->imageView(), AdItem((*banner_)[static_cast<std::size_t>(index)]).content);
    }
    return cell;
}

JXBannerParams KKdomaingrapeViewController::params(JXBanner&, JXBannerParams params) {
    params.isAutoPlay = true;
    params.timeInterval = 5.0;
    params.cycleWay = JXBannerCycleWay::forward;
    params.isShowPageControl = true;
    return params;
}

JXBannerLayoutParams KKdomaingrapeViewController::layoutParams(JXBanner&, JXBannerLayoutParams layoutParams) {
    if (banner_) {
        // One item fills the banner, which sits inset in its header.
        layoutParams.itemSize = CGSize{screenWidth() - 2 * kBannerInset, screenWidth() * 0.5};
    }
    return layoutParams;
}

void KKdomaingrapeViewController::didSelectItemAt(JXBanner&, long index) {
    if (banner_ && index >= 0 && static_cast<std::size_t>(index) < banner_->size()) {
        openAdItem(AdItem((*banner_)[static_cast<std::size_t>(index)]), *this);
    }
}
