#include "MainController/Detail/Controller/KKgiganticgloomy.h"

#include "MainController/Detail/Cell/KKcompatibleenthusiastic.h"
#include "MainController/Video/Controller/KKrallymultitudeViewController.h"
#include "MainController/Video/Model/EpisodeStartRules.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UILayoutGuide.h"

void KKgiganticgloomy::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    QMUITips::showLoadingInView(KKpresentationdisease::getCurrentVC()->view());
    std::weak_ptr<KKgiganticgloomy> weakSelf = std::static_pointer_cast<KKgiganticgloomy>(sharedController());
    apiClient.vodResourceList(vod_id, [weakSelf](std::optional<JSON> json, std::optional<NSError>) {
        if (auto page = weakSelf.lock()) {
            page->handleResources(json);
        }
    });
}

void KKgiganticgloomy::setupUI() {
    setTitle(EpisodeStartRules::decodedText("6LWE5rqQ5YiX6KGo"));
    view()->addSubview(kkpublicationsummon());
    view()->addSubview(tableView());
    kkpublicationsummon_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(view()->safeAreaLayoutGuide()->snp.top);
        make.left.right().equalToSuperview();
        make.height.equalTo(50);
    });
    tableView_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkpublicationsummon_->snp.bottom);
        make.left.right().bottom().equalToSuperview();
    });
}

const std::shared_ptr<QMUILabel>& KKgiganticgloomy::kkpublicationsummon() {
    if (!kkpublicationsummon_) {
        kkpublicationsummon_ = std::make_shared<QMUILabel>();
        kkpublicationsummon_->setTextAlignment(NSTextAlignment::center);
        kkpublicationsummon_->setTextColor(hexColor("BEBDC2", 1.0));
        kkpublicationsummon_->setFont(UIFont::systemFontOfSize(14));
        kkpublicationsummon_->setText(EpisodeStartRules::decodedText(
            "5pe25pe25qOA57Si5LiN5YWo77yM6K+356iN562J5Yeg56eS5oiW5YiH5o2i6LWE5rqQ5pCc57Si"));
    }
    return kkpublicationsummon_;
}

const std::shared_ptr<UITableView>& KKgiganticgloomy::tableView() {
    if (!tableView_) {
        tableView_ = std::make_shared<UITableView>(CGRectZero, UITableViewStyle::plain);
        auto self = std::static_pointer_cast<KKgiganticgloomy>(sharedController());
        tableView_->setDelegate(std::static_pointer_cast<UITableViewDelegate>(self));
        tableView_->setDataSource(std::static_pointer_cast<UITableViewDataSource>(self));
        tableView_->setEstimatedRowHeight(0);
        tableView_->setEstimatedSectionHeaderHeight(0);
        tableView_->setEstimatedSectionFooterHeight(0);
        tableView_->setSeparatorStyle(UITableViewCellSeparatorStyle::none);
        tableView_->setKeyboardDismissMode(UIScrollViewKeyboardDismissMode::onDrag);
        tableView_->setBackgroundColor(hexColor("28272C"));
        tableView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
        tableView_->setContentInset(UIEdgeInsets{});
        tableView_->setScrollIndicatorInsets(UIEdgeInsets{});
        tableView_->registerClass<KKcompatibleenthusiastic>(classNameOf<KKcompatibleenthusiastic>());
    }
    return tableView_;
}

void KKgiganticgloomy::handleResources(const std::optional<JSON>& answer) {
    if (!answer) {
        return;
    }
    list_ = answer->arrayValue();
    tableView()->reloadData();
}

long KKgiganticgloomy::numberOfRowsInSection(UITableView&, long) {
    return static_cast<long>(list_.size());
}

std::optional<CGFloat> KKgiganticgloomy::heightForRowAt(UITableView&, const NSIndexPath&) {
    return 60;
}

std::shared_ptr<UITableViewCell> KKgiganticgloomy::cellForRowAt(UITableView& tableView,
                                                                const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKcompatibleenthusiastic>(tableView, indexPath);
    const JSON& row = list_[static_cast<std::size_t>(indexPath.row())];
    cell->name()->setText(row["vod_name"].stringValue());
    cell->classType()->setText(row["vodTypeName"].stringValue() + " " + row["typeName"].stringValue());
    return cell;
}

void KKgiganticgloomy::didSelectRowAt(UITableView&, const NSIndexPath& indexPath) {
    const JSON& row = list_[static_cast<std::size_t>(indexPath.row())];
    auto player = std::make_shared<KKrallymultitudeViewController>();
    player->vod_id = row["vod_id"].stringValue();
    player->type = row["type"].stringValue();
    showViewController(player, nullptr);
}
