#include "MainController/My/Controller/KKinflictgraceViewController.h"

#include "MainController/My/View/MyTexts.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SDWebImage/SDImageCache.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controls/UISwitch.h"
#include "platform/UIKit/UIImageView.h"

namespace {

constexpr const char* kSoundKey = "openLaunchSound";
// Each row has its own identifier, so the row holding the switch never hands its cell
// to the other row.
constexpr const char* kClearIdentifier = "cell";
constexpr const char* kSoundIdentifier = "cell.sound";

} // namespace

void KKinflictgraceViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setTitle("设置");
    view()->addSubview(tableView());
    tableView_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(view()->safeAreaLayoutGuide()->snp.top);
        make.left.right().bottom().equalToSuperview();
    });
}

const std::shared_ptr<UITableView>& KKinflictgraceViewController::tableView() {
    if (!tableView_) {
        auto self = std::static_pointer_cast<KKinflictgraceViewController>(sharedController());
        tableView_ = std::make_shared<UITableView>(CGRectZero, UITableViewStyle::plain);
        tableView_->setDelegate(self);
        tableView_->setDataSource(self);
        tableView_->setEstimatedRowHeight(0);
        tableView_->setSeparatorStyle(UITableViewCellSeparatorStyle::none);
        tableView_->setKeyboardDismissMode(UIScrollViewKeyboardDismissMode::onDrag);
        tableView_->setEstimatedSectionHeaderHeight(0);
        tableView_->setEstimatedSectionFooterHeight(0);
        tableView_->setBackgroundColor(hexColor("28272C"));
        tableView_->setContentInsetAdjustmentBehavior(UIScrollViewContentInsetAdjustmentBehavior::never);
    }
    return tableView_;
}

const std::shared_ptr<UISwitch>& KKinflictgraceViewController::soundSwitch() {
    if (!kkpersonnelimpetus_) {
        kkpersonnelimpetus_ = std::make_shared<UISwitch>();
        kkpersonnelimpetus_->setAccessibilityIdentifier("settings.sound");
        std::weak_ptr<KKinflictgraceViewController> weakSelf =
            std::static_pointer_cast<KKinflictgraceViewController>(sharedController());
        kkpersonnelimpetus_->addTarget(
            [weakSelf](UIControl&) {
                if (auto self = weakSelf.lock()) {
                    self->kkmemorialsurvival();
                }
            },
            UIControlEventValueChanged);
    }
    return kkpersonnelimpetus_;
}

long KKinflictgraceViewController::numberOfRowsInSection(UITableView&, long) {
    return 2;
}

std::optional<CGFloat> KKinflictgraceViewController::heightForRowAt(UITableView&, const NSIndexPath&) {
    return 58.0;
}

std::shared_ptr<UITableViewCell> KKinflictgraceViewController::cellForRowAt(UITableView& tableView,
                                                                            const NSIndexPath& indexPath) {
    const bool soundRow = indexPath.row() == 1;
    const char* identifier = soundRow ? kSoundIdentifier : kClearIdentifier;
    auto cell = tableView.dequeueReusableCellWithIdentifier(identifier);
    if (!cell) {
        cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::value1, identifier);
        cell->textLabel()->setFont(UIFont::systemFontOfSize(14, UIFontWeightMedium));
        cell->textLabel()->setTextColor(UIColor::whiteColor());
        cell->detailTextLabel()->setFont(UIFont::systemFontOfSize(12));
        cell->detailTextLabel()->setTextColor(hexColor("BEBDC2"));
        cell->setAccessoryType(UITableViewCellAccessoryType::disclosureIndicator);
        cell->setBackgroundColor(UIColor::clearColor());
    }
    if (!soundRow) {
        cell->imageView()->setImage(UIImage::imageNamed("my_clear"));
        cell->textLabel()->setText("清除缓存");
        return cell;
    }
    cell->imageView()->setImage(UIImage::systemImageNamed("speaker.wave.3.fill"));
    cell->imageView()->setTintColor(hexColor("BEBDC2"));
    cell->textLabel()->setText(decodedText("5byA5py65Yqo55S75aOw6Z+z"));
    cell->setAccessoryType(UITableViewCellAccessoryType::none);
    const auto& toggle = soundSwitch();
    if (toggle->superview() != cell->contentView()) {
        cell->contentView()->addSubview(toggle);
        toggle->snp.remakeConstraints([&](ConstraintMaker& make) {
            make.right.equalToSuperview().inset(16);
            make.centerY.equalToSuperview();
        });
    }
    toggle->setOn(userDefaults().boolForKey(kSoundKey));
    return cell;
}

void KKinflictgraceViewController::didSelectRowAt(UITableView& tableView, const NSIndexPath& indexPath) {
    tableView.deselectRowAtIndexPath(indexPath, true);
    if (indexPath.row() == 0) {
        clearCaches();
    }
}

void KKinflictgraceViewController::kkmemorialsurvival() {
    userDefaults().setBool(kSoundKey, kkpersonnelimpetus_->isOn());
}

void KKinflictgraceViewController::clearCaches() {
    auto& images = SDImageCache::sharedImageCache();
    images.clearDiskOnCompletion(nullptr);
    images.clearMemory();
    SJMediaCacheServer::shared().removeAllRemovableCaches();
    QMUITips::showSucceed("清理成功!");
}
