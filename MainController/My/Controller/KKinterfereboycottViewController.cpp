#include "MainController/My/Controller/KKinterfereboycottViewController.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/My/Cell/KKconscientiousacre.h"
#include "MainController/My/View/MyListTable.h"
#include "MainController/My/View/MyTexts.h"
#include "MainController/My/View/PlaybackHistoryRows.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/UIKit/Controllers/UIAlertController.h"
#include "platform/UIKit/Controllers/UIBarButtonItem.h"
#include "platform/UIKit/Controllers/UINavigationItem.h"

namespace {

constexpr double kClearDelay = 1.0;

} // namespace

void KKinterfereboycottViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
}

void KKinterfereboycottViewController::viewWillAppear(bool animated) {
    BaseViewController::viewWillAppear(animated);
    loadRecords();
}

void KKinterfereboycottViewController::setupUI() {
    setTitle(decodedText("5pKt5pS+6K6w5b2V"));
    auto self = std::static_pointer_cast<KKinterfereboycottViewController>(sharedController());
    std::weak_ptr<KKinterfereboycottViewController> weakSelf = self;

    tableView_ = makeMyListTable(self, self);
    tableView_->setAccessibilityIdentifier("history.list");
    tableView_->setContentInset({});
    tableView_->setScrollIndicatorInsets({});
    tableView_->registerClass<KKconscientiousacre>(classNameOf<KKconscientiousacre>());

    view()->addSubview(tableView_);
    pinBelowSafeArea(tableView_, view());
    records_->attach(tableView_, self);

    auto clear =
        std::make_shared<UIBarButtonItem>("清空", UIBarButtonItemStyle::plain, [weakSelf](UIBarButtonItem&) {
            if (auto page = weakSelf.lock()) {
                page->kksurvivaladequate();
            }
        });
    clear->setTintColor(UIColor::whiteColor());
    navigationItem()->setRightBarButtonItem(clear);
}

void KKinterfereboycottViewController::loadRecords() {
    const auto records = SJPlaybackHistoryController::shared().recordsForConditions(
        {}, {SJSQLite3ColumnOrder::orderWithColumn("updatedTime", false)});
    records_->show(records ? newestPerTitle(*records) : std::vector<std::shared_ptr<SJPlaybackRecord>>());
}

void KKinterfereboycottViewController::remove(const SJPlaybackRecord& record) {
    const auto id = titleId(record);
    if (!id) {
        return;
    }
    auto removed = SJPlaybackHistoryController::shared().removeForConditions(
        {SJSQLite3Condition::conditionWithColumn("vodId", id)});
    (void)removed; // a failed removal shows the same rows again
    loadRecords();
}

void KKinterfereboycottViewController::kksurvivaladequate() {
    confirmClearAll();
}

void KKinterfereboycottViewController::confirmClearAll() {
    auto alert = UIAlertController::alertControllerWithTitle(
        decodedText("5piv5ZCm6KaB5riF56m65omA5pyJ5pKt5pS+6K6w5b2VPw=="), std::nullopt,
        UIAlertControllerStyle::alert);
    std::weak_ptr<KKinterfereboycottViewController> weakSelf =
        std::static_pointer_cast<KKinterfereboycottViewController>(sharedController());
    alert->addAction(UIAlertAction::actionWithTitle(
        decodedText("5riF56m6"), UIAlertActionStyle::destructive, [weakSelf](UIAlertAction&) {
            auto page = weakSelf.lock();
            if (!page) {
                return;
            }
            QMUITips::showLoading(decodedText("5riF56m65LitLi4u"), page->view());
            auto removed = SJPlaybackHistoryController::shared().removeAllRecordsForUser(0, SJMediaTypeVideo);
            (void)removed; // the list shown afterwards says what is left
            mainQueue().asyncAfter(kClearDelay, [weakSelf] {
                auto later = weakSelf.lock();
                if (!later) {
                    return;
                }
                QMUITips::hideAllTips();
                QMUITips::showSucceed(decodedText("5riF56m65oiQ5Yqf"));
                later->loadRecords();
            });
        }));
    alert->addAction(UIAlertAction::actionWithTitle("取消", UIAlertActionStyle::cancel));
    presentViewController(alert, true);
}

long KKinterfereboycottViewController::numberOfRowsInSection(UITableView&, long) {
    return static_cast<long>(records_->size());
}

std::optional<CGFloat> KKinterfereboycottViewController::heightForRowAt(UITableView&, const NSIndexPath&) {
    return 64;
}

std::shared_ptr<UITableViewCell>
KKinterfereboycottViewController::cellForRowAt(UITableView& tableView, const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKconscientiousacre>(tableView, indexPath);
    const auto* row = records_->at(indexPath.row());
    if (!row) {
        return cell;
    }
    const auto record = *row;
    cell->name()->setText(record->title.value_or(""));
    // A reused cell never keeps the line of the row it showed before.
    cell->classType()->setText(progressText(*record).value_or(""));
    if (record->cover && !record->cover->empty()) {
        sd_setImageWithURL(cell->kkdrainexempt(), *record->cover, placeholderImage());
    } else {
        sd_cancelCurrentImageLoad(cell->kkdrainexempt());
        cell->kkdrainexempt()->setImage(placeholderImage());
    }
    std::weak_ptr<KKinterfereboycottViewController> weakSelf =
        std::static_pointer_cast<KKinterfereboycottViewController>(sharedController());
    std::weak_ptr<SJPlaybackRecord> weakRecord = record;
    cell->delBtn()->setQmui_tapBlock([weakSelf, weakRecord](UIControl&) {
        auto page = weakSelf.lock();
        auto shown = weakRecord.lock();
        if (page && shown) {
            page->remove(*shown);
        }
    });
    return cell;
}

void KKinterfereboycottViewController::didSelectRowAt(UITableView&, const NSIndexPath& indexPath) {
    const auto* record = records_->at(indexPath.row());
    if (!record) {
        return;
    }
    auto page = std::make_shared<KKgiganticgloomy>();
    if (const auto& id = (*record)->vodId) {
        page->vod_id = *id;
    }
    showViewController(page, nullptr);
}
