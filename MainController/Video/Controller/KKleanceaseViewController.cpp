#include "MainController/Video/Controller/KKleanceaseViewController.h"

#include "MainController/Video/Cell/KKcontaminatesuggestion.h"
#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/UIDevice.h"
#include "platform/UIKit/UIImage.h"

std::shared_ptr<KKleanceaseViewController> KKleanceaseViewController::self() {
    return std::static_pointer_cast<KKleanceaseViewController>(shared_from_this());
}

void KKleanceaseViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    collectionView_->mj_header()->beginRefreshing();
}

void KKleanceaseViewController::setupUI() {
    const auto& view = this->view();
    std::weak_ptr<KKleanceaseViewController> weakSelf = self();

    // Two tiles a row (four on a tablet): the screen less the 15-point margins and the
    // gaps, at 3 : 5.
    const bool tablet = UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::pad;
    const CGFloat width = tablet ? (screenWidth() - 60) * 0.25 : (screenWidth() - 50) * 0.5;
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setScrollDirection(UICollectionViewScrollDirection::vertical);
    layout->setMinimumLineSpacing(10);
    layout->setMinimumInteritemSpacing(9);
    layout->setItemSize({width, width / 0.6});
    layout->setSectionInset({15, 15, 0, 15});
    collectionView_ = std::make_shared<UICollectionView>(CGRectZero, layout);
    collectionView_->setBackgroundColor(hexColor("28272C"));
    collectionView_->setDelegate(self());
    collectionView_->setDataSource(self());
    collectionView_->registerClass([] { return KKcontaminatesuggestion::create(); },
                                   classNameOf<KKcontaminatesuggestion>());
    tiles_->attach(collectionView_, self());
    view->addSubview(collectionView_);

    kkexemptconvention_ = std::make_shared<UIView>();
    kkexemptconvention_->setBackgroundColor(hexColor("1C1B20"));
    view->addSubview(kkexemptconvention_);
    kkexemptconvention_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(statusBarHeight() + 44);
    });

    kkdilemmaspectacular_ = std::make_shared<QMUIButton>();
    kkdilemmaspectacular_->setImage(UIImage::imageNamed("back"), UIControlStateNormal);
    kkdilemmaspectacular_->setQmui_tapBlock([weakSelf](UIControl&) {
        const auto page = weakSelf.lock();
        if (page && page->navigationController()) {
            page->navigationController()->popViewControllerAnimated(true);
        }
    });
    kkexemptconvention_->addSubview(kkdilemmaspectacular_);
    kkdilemmaspectacular_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.bottom().equalToSuperview();
        make.size.equalTo(CGSize{44, 44});
    });

    titleLabel_ = std::make_shared<QMUILabel>();
    titleLabel_->setText("短视频");
    titleLabel_->setTextColor(UIColor::whiteColor());
    titleLabel_->setFont(UIFont::systemFontOfSize(18));
    kkexemptconvention_->addSubview(titleLabel_);
    titleLabel_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.centerX.equalToSuperview();
        make.centerY.equalTo(kkdilemmaspectacular_);
    });

    collectionView_->snp.makeConstraints([&](ConstraintMaker& make) {
        make.top.equalTo(kkexemptconvention_->snp.bottom);
        make.left.right().bottom().equalToSuperview();
    });
}

void KKleanceaseViewController::fetchTiles(int, PagedListBase::Completion completion) {
    apiClient.videoDisplay(1, std::move(completion));
}

long KKleanceaseViewController::numberOfItemsInSection(UICollectionView&, long) {
    return static_cast<long>(tiles_->size());
}

std::shared_ptr<UICollectionViewCell>
KKleanceaseViewController::cellForItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKcontaminatesuggestion>(collectionView, indexPath);
    if (const auto* tile = tiles_->at(indexPath.item)) {
        cell->configure(**tile);
    }
    return cell;
}

void KKleanceaseViewController::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    auto feed = std::make_shared<KKcandyleanViewController>();
    feed->index = indexPath.item;
    feed->isShowFull = true;
    feed->list = tiles_->items();
    showViewController(feed, nullptr);
}
