#include "MainController/Video/Controller/KKproductstaircaseViewController.h"

#include "MainController/Video/Cell/KKsavingintegrate.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UILayoutGuide.h"

void KKproductstaircaseViewController::viewDidLoad() {
    QMUIModalPresentationViewController::viewDidLoad();
    setupUI();
    QMUITips::showLoadingInView(kkaccountanttense());
    std::weak_ptr<KKproductstaircaseViewController> weakSelf =
        std::static_pointer_cast<KKproductstaircaseViewController>(sharedController());
    apiClient.vodResourceList(vod_id, [weakSelf](std::optional<JSON> answer, std::optional<NSError>) {
        if (auto sheet = weakSelf.lock()) {
            sheet->handleResourceList(answer);
        }
    });
}

// A failed request leaves the grid empty under its heading; the API client has told
// the user why.
void KKproductstaircaseViewController::handleResourceList(const std::optional<JSON>& answer) {
    if (!answer) {
        return;
    }
    list = answer->arrayValue();
    collectionView()->reloadData();
}

void KKproductstaircaseViewController::setupUI() {
    setAnimationStyle(QMUIModalPresentationAnimationStyle::slide);
    const auto& sheet = kkaccountanttense();
    sheet->addSubview(titleLabel());
    sheet->addSubview(collectionView());
    titleLabel_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.equalToSuperview().inset(15);
        make.left.right().equalToSuperview();
    });
    collectionView_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.bottom.equalTo(kkaccountanttense_->safeAreaLayoutGuide()->snp.bottom);
        make.top.equalTo(titleLabel_->snp.bottom).offset(10);
        make.left.right().equalToSuperview();
    });
    setContentView(sheet);
    // The sheet lies on the bottom edge at the screen's width.
    std::weak_ptr<KKproductstaircaseViewController> weakSelf =
        std::static_pointer_cast<KKproductstaircaseViewController>(sharedController());
    setLayoutBlock([weakSelf](CGRect containerBounds, CGFloat, CGRect) {
        if (auto self = weakSelf.lock()) {
            self->contentView()->setFrame(
                CGRect{{0, containerBounds.size.height - sheetHeight}, {screenWidth(), sheetHeight}});
        }
    });
}

const std::shared_ptr<UIView>& KKproductstaircaseViewController::kkaccountanttense() {
    if (!kkaccountanttense_) {
        kkaccountanttense_ = std::make_shared<UIView>();
        kkaccountanttense_->setBackgroundColor(UIColor::whiteColor());
        kkaccountanttense_->layer()->setCornerRadius(10);
        kkaccountanttense_->layer()->setMaskedCorners(kCALayerMinXMinYCorner | kCALayerMaxXMinYCorner);
        kkaccountanttense_->setClipsToBounds(true);
    }
    return kkaccountanttense_;
}

const std::shared_ptr<QMUILabel>& KKproductstaircaseViewController::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ = std::make_shared<QMUILabel>();
        titleLabel_->setText("切换视频源");
        titleLabel_->setTextAlignment(NSTextAlignment::center);
        titleLabel_->setTextColor(hexColor("28272C"));
        titleLabel_->setFont(UIFont::boldSystemFontOfSize(18));
    }
    return titleLabel_;
}

const std::shared_ptr<UICollectionView>& KKproductstaircaseViewController::collectionView() {
    if (!collectionView_) {
        auto layout = std::make_shared<UICollectionViewFlowLayout>();
        layout->setScrollDirection(UICollectionViewScrollDirection::vertical);
        layout->setMinimumLineSpacing(10);
        layout->setMinimumInteritemSpacing(14);
        layout->setItemSize(CGSize{(screenWidth() - 60) / 3, 50});
        layout->setSectionInset(UIEdgeInsets{0, 15, 0, 15});
        collectionView_ = std::make_shared<UICollectionView>(CGRectZero, layout);
        collectionView_->setBackgroundColor(UIColor::whiteColor());
        auto self = std::static_pointer_cast<KKproductstaircaseViewController>(sharedController());
        collectionView_->setDelegate(std::static_pointer_cast<UICollectionViewDelegate>(self));
        collectionView_->setDataSource(std::static_pointer_cast<UICollectionViewDataSource>(self));
        collectionView_->registerClass<KKsavingintegrate>(classNameOf<KKsavingintegrate>());
    }
    return collectionView_;
}

long KKproductstaircaseViewController::numberOfItemsInSection(UICollectionView&, long) {
    return static_cast<long>(list.size());
}

std::shared_ptr<UICollectionViewCell>
KKproductstaircaseViewController::cellForItemAt(UICollectionView& collectionView,
                                                const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKsavingintegrate>(collectionView, indexPath);
    const JSON& source = list[static_cast<std::size_t>(indexPath.item)];
    const bool current = source["type"].stringValue() == type;
    cell->titleLabel()->setText(source["typeName"].stringValue());
    cell->titleLabel()->setTextColor(current ? hexColor("D73F3F") : hexColor("28272C"));
    cell->titleLabel()->setFont(current ? UIFont::boldSystemFontOfSize(15) : UIFont::systemFontOfSize(15));
    cell->selectIcon()->setHidden(!current);
    return cell;
}

void KKproductstaircaseViewController::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    if (clickSwitch) {
        clickSwitch(list[static_cast<std::size_t>(indexPath.item)]["type"].stringValue());
    }
    hideWithAnimated(true);
}
