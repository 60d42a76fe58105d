#include "MainController/My/Controller/KKcommonplaceremedyViewController.h"

#include "MainController/My/Cell/KKcombcripple.h"
#include "MainController/My/Controller/KKceremonyinflictViewController.h"
#include "MainController/My/Model/DownloadStorage.h"
#include "MainController/My/View/DownloadPageLayout.h"
#include "app/Extensions/ListExtensions.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>

namespace {

std::vector<std::shared_ptr<KKcommenthumble>> newestFirst(const ASExpression& filter) {
    // Ordered by when they were stored, so that "newest first" holds whatever order
    // the database keeps its rows in.
    auto found = KKcommenthumble::findAll(filter, ASOrders{{"id", true}});
    if (!found) {
        return {};
    }
    std::vector<std::shared_ptr<KKcommenthumble>> records = *found;
    std::reverse(records.begin(), records.end());
    return records;
}

} // namespace

void KKcommonplaceremedyViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    DownloadCoordinator::shared().addObserver(
        std::static_pointer_cast<KKcommonplaceremedyViewController>(sharedController()));
}

void KKcommonplaceremedyViewController::viewWillAppear(bool animated) {
    BaseViewController::viewWillAppear(animated);
    loadData();
    resumeDownloads();
}

void KKcommonplaceremedyViewController::setupUI() {
    DownloadPageLayout::install(view(), kkexemptconvention(), kkdilemmaspectacular(), titleLabel(),
                                tableView(), kkvirtuearch());
}

const std::shared_ptr<UIView>& KKcommonplaceremedyViewController::kkexemptconvention() {
    if (!kkexemptconvention_) {
        kkexemptconvention_ = DownloadPageLayout::makeBar();
    }
    return kkexemptconvention_;
}

const std::shared_ptr<QMUIButton>& KKcommonplaceremedyViewController::kkdilemmaspectacular() {
    if (!kkdilemmaspectacular_) {
        kkdilemmaspectacular_ = DownloadPageLayout::makeBackButton(sharedController());
    }
    return kkdilemmaspectacular_;
}

const std::shared_ptr<QMUILabel>& KKcommonplaceremedyViewController::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ = DownloadPageLayout::makeTitleLabel();
    }
    return titleLabel_;
}

const std::shared_ptr<UITableView>& KKcommonplaceremedyViewController::tableView() {
    if (!tableView_) {
        auto self = std::static_pointer_cast<KKcommonplaceremedyViewController>(sharedController());
        tableView_ = DownloadPageLayout::makeTableView(std::static_pointer_cast<UITableViewDataSource>(self),
                                                       std::static_pointer_cast<UITableViewDelegate>(self));
    }
    return tableView_;
}

const std::shared_ptr<QMUILabel>& KKcommonplaceremedyViewController::kkvirtuearch() {
    if (!kkvirtuearch_) {
        kkvirtuearch_ = DownloadPageLayout::makeStorageLabel();
    }
    return kkvirtuearch_;
}

void KKcommonplaceremedyViewController::loadData() {
    kkacademyendurance = uniqueByVodId(newestFirst(ASColumnRef("state") == "finish"));
    kkenduranceminority = newestFirst(ASColumnRef("state") != "finish");
    kkvirtuearch()->setText(DownloadStorage::storageText());
    if (kkacademyendurance.empty() && kkenduranceminority.empty()) {
        showEmptyView();
    } else {
        hideEmptyView();
    }
    tableView()->reloadData();
}

void KKcommonplaceremedyViewController::resumeDownloads() {
    for (const char* state : {"downing", "waiting"}) {
        for (const auto& record : kkenduranceminority) {
            if (record->state == state) {
                DownloadCoordinator::shared().resume(record->url);
            }
        }
    }
}

std::shared_ptr<KKcommenthumble>
KKcommonplaceremedyViewController::recordAt(const NSIndexPath& indexPath) const {
    const auto& records = indexPath.section == 0 ? kkenduranceminority : kkacademyendurance;
    const auto row = static_cast<std::size_t>(indexPath.row());
    return row < records.size() ? records[row] : nullptr;
}

long KKcommonplaceremedyViewController::numberOfRowsInSection(UITableView&, long section) {
    return static_cast<long>(section == 0 ? kkenduranceminority.size() : kkacademyendurance.size());
}

std::optional<std::string> KKcommonplaceremedyViewController::titleForHeaderInSection(UITableView&,
                                                                                      long section) {
    if (section == 0) {
        return kkenduranceminority.empty() ? std::nullopt : std::optional<std::string>("正在下载");
    }
    return kkacademyendurance.empty() ? std::nullopt : std::optional<std::string>("已下载");
}

std::optional<CGFloat> KKcommonplaceremedyViewController::heightForRowAt(UITableView&, const NSIndexPath&) {
    return 74.0;
}

std::shared_ptr<UITableViewCell>
KKcommonplaceremedyViewController::cellForRowAt(UITableView& tableView, const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKcombcripple>(tableView, indexPath);
    auto record = recordAt(indexPath);
    if (!record) {
        return cell;
    }
    sd_setImageWithURL(cell->kkdrainexempt(), record->cover, UIImage::imageNamed("default_background"));
    if (indexPath.section == 1) {
        cell->kkhighlyscrutiny()->setHidden(true);
        cell->name()->setText(record->name);
        auto all = KKcommenthumble::findAll(ASAttributes{{"vod_id", record->vod_id}});
        cell->kkunderneathhostage()->setText(std::to_string(all ? all->size() : 0) + "个视频");
        return cell;
    }
    cell->downloadURL = record->url;
    cell->name()->setText(record->name + " " + record->episode);
    if (record->state == "waiting") {
        cell->kkunderneathhostage()->setText("等待下载");
    } else if (record->state == "downing") {
        cell->kkunderneathhostage()->setText("下载中 " + speed.getInternetSpeed());
        cell->kkhighlyscrutiny()->setHidden(false);
    } else if (record->state == "pause") {
        cell->kkunderneathhostage()->setText("暂停下载");
    } else if (record->state == "fail") {
        cell->kkunderneathhostage()->setText("下载失败");
    }
    cell->kkhighlyscrutiny()->setProgress(
        DownloadCoordinator::shared().progress(record->url).value_or(static_cast<float>(record->progress)));
    return cell;
}

void KKcommonplaceremedyViewController::didSelectRowAt(UITableView&, const NSIndexPath& indexPath) {
    auto record = recordAt(indexPath);
    if (!record) {
        return;
    }
    auto& coordinator = DownloadCoordinator::shared();
    if (record->state == "downing") {
        coordinator.pause(record->url);
    } else if (record->state == "pause" || record->state == "fail") {
        coordinator.resume(record->url);
    } else if (record->state == "finish") {
        auto episodes = std::make_shared<KKceremonyinflictViewController>();
        episodes->vod_id = record->vod_id;
        showViewController(episodes, nullptr);
    }
    loadData();
}

void KKcommonplaceremedyViewController::commit(UITableView&, UITableViewCellEditingStyle,
                                               const NSIndexPath& indexPath) {
    auto record = recordAt(indexPath);
    if (!record) {
        return;
    }
    auto& coordinator = DownloadCoordinator::shared();
    if (indexPath.section == 1) {
        // A downloaded title goes as a whole, its unfinished episodes included.
        auto all = KKcommenthumble::findAll(ASAttributes{{"vod_id", record->vod_id}});
        for (const auto& episode : all ? *all : std::vector<std::shared_ptr<KKcommenthumble>>{}) {
            coordinator.remove(episode->url);
        }
    } else {
        coordinator.remove(record->url);
    }
    loadData();
}

void KKcommonplaceremedyViewController::showProgress(KKcombcripple& cell, float progress) {
    cell.kkhighlyscrutiny()->setHidden(false);
    cell.kkhighlyscrutiny()->setProgress(progress, false);
    cell.kkunderneathhostage()->setText("下载中 " + speed.getInternetSpeed());
}

void KKcommonplaceremedyViewController::downloadProgressDidChange(const std::string& url, float progress) {
    if (!isViewLoaded()) {
        return;
    }
    for (const auto& record : kkenduranceminority) {
        if (record->url == url) {
            record->progress = progress;
            if (record->state != "downing") {
                return;
            }
        }
    }
    for (const auto& visible : tableView()->visibleCells()) {
        auto cell = std::dynamic_pointer_cast<KKcombcripple>(visible);
        if (cell && cell->downloadURL == url) {
            showProgress(*cell, progress);
        }
    }
    kkvirtuearch()->setText(DownloadStorage::storageText());
}

void KKcommonplaceremedyViewController::downloadStateDidChange(const std::string&, const std::string& state,
                                                               const std::optional<NSError>&) {
    if (!isViewLoaded()) {
        return;
    }
    loadData();
    if (state == "fail" && view()->window()) {
        QMUITips::showError("下载失败，请重新下载", view());
    }
}
