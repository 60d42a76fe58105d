#include "MainController/Video/Controller/KKdeafproductViewController.h"

#include "MainController/My/Model/DownloadStorage.h"
#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "MainController/Video/Model/EpisodeStartRules.h"
#include "MainController/Video/View/EpisodeGrid.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Crypto/MIUAES.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Models/KKfinancerub.h"
#include "app/Network/KKriplog.h"
#include "app/Records/KKcommenthumble.h"
#include "app/Records/KKeditjerk.h"
#include "platform/AVFoundation/AVURLAsset.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UILayoutGuide.h"

namespace {

constexpr CGFloat kSheetHeight = 450;

std::shared_ptr<KKcommenthumble> recordOf(const std::string& vodId, long item) {
    auto found = KKcommenthumble::findFirst(ASAttributes{{"vod_id", vodId}, {"index", std::to_string(item)}});
    return found ? *found : nullptr;
}

} // namespace

CGFloat KKdeafproductViewController::progressBarWidth() {
    return static_cast<float>((screenWidth() - 75) * 0.25);
}

void KKdeafproductViewController::viewDidLoad() {
    QMUIModalPresentationViewController::viewDidLoad();
    setupUI();
    DownloadCoordinator::shared().addObserver(
        std::static_pointer_cast<KKdeafproductViewController>(sharedController()));
}

void KKdeafproductViewController::setupUI() {
    setAnimationStyle(QMUIModalPresentationAnimationStyle::slide);
    const auto& sheet = kkaccountanttense();
    sheet->addSubview(titleLabel());
    sheet->addSubview(collectionView());
    sheet->addSubview(kkdecoratevirtue());
    sheet->addSubview(kkvirtuearch());
    // The sheet's size and place come from the layout block below.
    titleLabel_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.equalToSuperview().inset(15);
        make.left.right().equalToSuperview();
    });
    kkdecoratevirtue_->snp.makeConstraints([&sheet](ConstraintMaker& make) {
        make.bottom.equalTo(sheet->safeAreaLayoutGuide()->snp.bottom).offset(-44);
        make.left.right().equalToSuperview();
        make.height.equalTo(1);
    });
    kkvirtuearch_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkdecoratevirtue_->snp.bottom);
        make.left.right().bottom().equalToSuperview();
    });
    collectionView_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(titleLabel_->snp.bottom).offset(10);
        make.bottom.equalTo(kkdecoratevirtue_->snp.top);
        make.left.right().equalToSuperview();
    });
    setContentView(sheet);
    std::weak_ptr<KKdeafproductViewController> weak =
        std::static_pointer_cast<KKdeafproductViewController>(sharedController());
    setLayoutBlock([weak](CGRect container, CGFloat, CGRect) {
        if (auto picker = weak.lock()) {
            picker->contentView()->setFrame(
                CGRectMake(0, container.size.height - kSheetHeight, screenWidth(), kSheetHeight));
        }
    });
}

const std::shared_ptr<UIView>& KKdeafproductViewController::kkaccountanttense() {
    if (!kkaccountanttense_) {
        kkaccountanttense_ = std::make_shared<UIView>();
        kkaccountanttense_->setAccessibilityIdentifier("downloads.picker");
        kkaccountanttense_->setBackgroundColor(UIColor::whiteColor());
        kkaccountanttense_->layer()->setCornerRadius(10);
        kkaccountanttense_->layer()->setMaskedCorners(kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
        kkaccountanttense_->setClipsToBounds(true);
    }
    return kkaccountanttense_;
}

const std::shared_ptr<QMUILabel>& KKdeafproductViewController::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ = std::make_shared<QMUILabel>();
        titleLabel_->setText("选择要缓存的视频");
        titleLabel_->setTextAlignment(NSTextAlignment::center);
        titleLabel_->setTextColor(hexColor("28272C"));
        titleLabel_->setFont(UIFont::boldSystemFontOfSize(18));
    }
    return titleLabel_;
}

const std::shared_ptr<UIView>& KKdeafproductViewController::kkdecoratevirtue() {
    if (!kkdecoratevirtue_) {
        kkdecoratevirtue_ = std::make_shared<UIView>();
        kkdecoratevirtue_->setBackgroundColor(hexColor("EDEDED"));
    }
    return kkdecoratevirtue_;
}

const std::shared_ptr<QMUILabel>& KKdeafproductViewController::kkvirtuearch() {
    if (!kkvirtuearch_) {
        kkvirtuearch_ = std::make_shared<QMUILabel>();
        kkvirtuearch_->setNumberOfLines(2);
        kkvirtuearch_->setText(DownloadStorage::storageText());
        kkvirtuearch_->setTextAlignment(NSTextAlignment::center);
        kkvirtuearch_->setTextColor(hexColor("28272C"));
        kkvirtuearch_->setFont(UIFont::systemFontOfSize(15));
    }
    return kkvirtuearch_;
}

const std::shared_ptr<UICollectionView>& KKdeafproductViewController::collectionView() {
    if (!collectionView_) {
        auto self = std::static_pointer_cast<KKdeafproductViewController>(sharedController());
        collectionView_ = makeEpisodeGrid(UIEdgeInsets{0, 15, 15, 15}, self, self);
    }
    return collectionView_;
}

long KKdeafproductViewController::numberOfItemsInSection(UICollectionView&, long) {
    return static_cast<long>(list.size());
}

std::shared_ptr<UICollectionViewCell>
KKdeafproductViewController::cellForItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKintegratecompatible>(collectionView, indexPath);
    const long item = indexPath.item;
    cell->selectIcon()->setHidden(true);
    cell->name()->setTextColor(hexColor("28272C"));
    cell->setBackgroundColor(hexColor("#F5F6F8"));
    cell->name()->setText(list[static_cast<std::size_t>(item)]["item"].stringValue());
    cell->setProgressWidth(0);
    const KKfinancerub model(json);
    auto record = recordOf(model.vodId.value_or(""), item);
    if (!record) {
        return cell;
    }
    tileOfURL_[record->url] = item;
    if (record->state == "finish") {
        cell->selectIcon()->setHidden(false);
        return cell;
    }
    const float progress = DownloadCoordinator::shared().progress(record->url).value_or(0);
    cell->setProgressWidth(progressBarWidth() * progress);
    return cell;
}

void KKdeafproductViewController::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    const long item = indexPath.item;
    const KKfinancerub model(json);
    if (!model.vodId || model.vodId->empty() || item < 0 || item >= static_cast<long>(list.size())) {
        // Without the title's identity a download could never be found again.
        return;
    }
    auto record = recordOf(*model.vodId, item);
    if (!record) {
        if (parsing_.count(item) == 0) {
            startNewDownload(item);
        }
        return;
    }
    if (record->state == "finish") {
        QMUITips::showSucceed("该资源已经下载完成", view());
        return;
    }
    if (record->state == "pause") {
        QMUITips::showWithText("继续下载...", view());
    } else if (record->state == "fail") {
        QMUITips::showWithText("重新下载...", view());
    } else {
        // "downing", "waiting" or an unknown state: the episode's download goes on; a
        // second record is never made for it.
        QMUITips::showWithText("该资源正在下载中...", view());
    }
    tileOfURL_[record->url] = item;
    DownloadCoordinator::shared().resume(record->url);
}

void KKdeafproductViewController::startNewDownload(long item) {
    const std::string src = list[static_cast<std::size_t>(item)]["src"].stringValue();
    parsing_.insert(item);
    QMUITips::showLoadingInView(kkaccountanttense());
    std::weak_ptr<KKdeafproductViewController> weak =
        std::static_pointer_cast<KKdeafproductViewController>(sharedController());
    // A failed request is not sent again by itself: the API client's error toast tells the
    // user, and another tap asks again.
    apiClient.getParse(type, src, [weak, item, src](std::optional<JSON> answer, std::optional<NSError>) {
        if (auto picker = weak.lock()) {
            picker->parsing_.erase(item);
            picker->handleParse(item, src, answer);
        }
    });
}

void KKdeafproductViewController::handleParse(long item, const std::string& src,
                                              const std::optional<JSON>& answer) {
    if (!answer) {
        return;
    }
    // The player page plays the download offline with this answer's request headers.
    (void)KKeditjerk::storeAnswer(src, *answer);
    const std::string encrypted = (*answer)["url"].stringValue();
    if (encrypted.empty()) {
        return;
    }
    QMUITips::showWithText("开始下载...", view());
    const KKfinancerub model(json);
    KKcommenthumble record;
    record.url = MIUAES::MIUAESDecrypt(encrypted);
    record.type = type;
    record.episode = list[static_cast<std::size_t>(item)]["item"].stringValue();
    record.cover = model.vodPic.value_or("");
    record.name = model.vodName.value_or("");
    record.vod_id = model.vodId.value_or("");
    record.index = std::to_string(item);
    record.src = src;
    const AVURLAssetOptions options = EpisodeStartRules::mediaRequestOptions(*answer);
    AVHTTPHeaderFields headers;
    if (auto found = options.find(AVURLAssetHTTPHeaderFieldsKey); found != options.end()) {
        headers = found->second;
    }
    // The tile follows its download from now on: a download can fail before the tile is
    // drawn again (a full disk fails it at once), and that failure must show.
    tileOfURL_[record.url] = item;
    if (!EpisodeStartRules::isPlayableAddress(record.url) ||
        !DownloadCoordinator::shared().startDownload(record, headers)) {
        QMUITips::showError("下载失败，请重新下载", view());
        return;
    }
    collectionView()->reloadData();
}

void KKdeafproductViewController::downloadProgressDidChange(const std::string& url, float progress) {
    auto tile = tileOfURL_.find(url);
    if (tile == tileOfURL_.end()) {
        return;
    }
    kkvirtuearch()->setText(DownloadStorage::storageText());
    auto cell = std::dynamic_pointer_cast<KKintegratecompatible>(
        collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(tile->second, 0)));
    if (cell) {
        cell->setProgressWidth(progressBarWidth() * progress);
    }
}

void KKdeafproductViewController::downloadStateDidChange(const std::string& url, const std::string& state,
                                                         const std::optional<NSError>&) {
    if (tileOfURL_.count(url) == 0) {
        return;
    }
    collectionView()->reloadData();
    kkvirtuearch()->setText(DownloadStorage::storageText());
    if (state == "fail" && isVisible()) {
        QMUITips::showError("下载失败，请重新下载", view());
    }
}
