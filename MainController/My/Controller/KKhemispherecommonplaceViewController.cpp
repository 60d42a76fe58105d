#include "MainController/My/Controller/KKhemispherecommonplaceViewController.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/My/Cell/KKcrippleconscientious.h"
#include "MainController/My/View/MyTexts.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SnapKit/ConstraintMaker.h"

void KKhemispherecommonplaceViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    requestList();
}

void KKhemispherecommonplaceViewController::setupUI() {
    setTitle(decodedText("5oiR55qE5pS26JeP"));
    auto self = std::static_pointer_cast<KKhemispherecommonplaceViewController>(sharedController());
    tableView_ = std::make_shared<UITableView>(CGRectZero, UITableViewStyle::plain);
    tableView_->setAccessibilityIdentifier("favourites.list");
    tableView_->setDelegate(self);
    tableView_->setDataSource(self);
    tableView_->setEstimatedRowHeight(0);
    tableView_->setEstimatedSectionHeaderHeight(0);
    tableView_->setEstimatedSectionFooterHeight(0);
    tableView_->setSeparatorStyle(UITableViewCellSeparatorStyle::none);
    tableView_->setKeyboardDismissMode(UIScrollViewKeyboardDismissMode::onDrag);
    tableView_->setBackgroundColor(hexColor("28272C"));
    tableView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    tableView_->setContentInset({});
    tableView_->setScrollIndicatorInsets({});
    tableView_->registerClass<KKcrippleconscientious>(classNameOf<KKcrippleconscientious>());
    view()->addSubview(tableView_);
    // The page's own view: the page that opened this one is still on top at this moment.
    QMUITips::showLoadingInView(view());
    tableView_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(view()->safeAreaLayoutGuide()->snp.top);
        make.left.right().bottom().equalToSuperview();
    });
}

void KKhemispherecommonplaceViewController::requestList() {
    std::weak_ptr<KKhemispherecommonplaceViewController> weakSelf =
        std::static_pointer_cast<KKhemispherecommonplaceViewController>(sharedController());
    apiClient.sendRequest(HTTPMethod::get, "api/getCollectionList", {},
                          [weakSelf](std::optional<JSON> json, std::optional<NSError>) {
                              auto self = weakSelf.lock();
                              if (!self || !json) {
                                  return;
                              }
                              self->list_.clear();
                              for (const auto& film : json->arrayValue()) {
                                  self->list_.emplace_back(film);
                              }
                              self->tableView_->reloadData();
                          });
}

void KKhemispherecommonplaceViewController::remove(const KKfinancerub& film) {
    if (!film.vodId || film.vodId->empty()) {
        return;
    }
    std::weak_ptr<KKhemispherecommonplaceViewController> weakSelf =
        std::static_pointer_cast<KKhemispherecommonplaceViewController>(sharedController());
    apiClient.collectionState(*film.vodId, false,
                              [weakSelf](std::optional<JSON> json, std::optional<NSError>) {
                                  auto self = weakSelf.lock();
                                  if (self && json) {
                                      self->requestList();
                                  }
                              });
}

long KKhemispherecommonplaceViewController::numberOfRowsInSection(UITableView&, long) {
    if (list_.empty()) {
        showEmptyView();
    } else {
        hideEmptyView();
    }
    return static_cast<long>(list_.size());
}

std::optional<CGFloat> KKhemispherecommonplaceViewController::heightForRowAt(UITableView&,
                                                                             const NSIndexPath&) {
    return 64;
}

std::shared_ptr<UITableViewCell>
KKhemispherecommonplaceViewController::cellForRowAt(UITableView& tableView, const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKcrippleconscientious>(tableView, indexPath);
    const auto row = static_cast<std::size_t>(indexPath.row());
    if (row >= list_.size()) {
        return cell;
    }
    const KKfinancerub& film = list_[row];
    cell->name()->setText(film.vodName.value_or(""));
    cell->classType()->setText(film.year.value_or("") + "/" + film.area.value_or("") + "/" +
                               film.classTypeName.value_or(""));
    if (film.vodPic && !film.vodPic->empty()) {
        sd_setImageWithURL(cell->kkdrainexempt(), *film.vodPic, placeholderImage());
    } else {
        sd_cancelCurrentImageLoad(cell->kkdrainexempt());
        cell->kkdrainexempt()->setImage(placeholderImage());
    }
    cell->kkpettyverdict()->setSelected(true);
    std::weak_ptr<KKhemispherecommonplaceViewController> weakSelf =
        std::static_pointer_cast<KKhemispherecommonplaceViewController>(sharedController());
    cell->kkpettyverdict()->setQmui_tapBlock([weakSelf, film](UIControl&) {
        if (auto page = weakSelf.lock()) {
            page->remove(film);
        }
    });
    return cell;
}

void KKhemispherecommonplaceViewController::didSelectRowAt(UITableView&, const NSIndexPath& indexPath) {
    const auto row = static_cast<std::size_t>(indexPath.row());
    if (row >= list_.size()) {
        return;
    }
    auto page = std::make_shared<KKgiganticgloomy>();
    if (const auto& id = list_[row].vodId) {
        page->vod_id = *id;
    }
    showViewController(page, nullptr);
}
