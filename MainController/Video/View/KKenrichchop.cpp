#include "MainController/Video/View/KKenrichchop.h"

#include "MainController/Video/Cell/KKintegratecompatible.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

std::shared_ptr<KKenrichchop> KKenrichchop::make() {
    auto strip = std::make_shared<KKenrichchop>();
    strip->setUp();
    return strip;
}

void KKenrichchop::setUp() {
    auto self = std::static_pointer_cast<KKenrichchop>(sharedView());
    std::weak_ptr<KKenrichchop> weakSelf = self;

    kkcurrencyguidance_ = std::make_shared<UIView>();
    kkcurrencyguidance_->setBackgroundColor(UIColor::colorWithWhite(0.0, 0.5));
    addTapAction(*kkcurrencyguidance_, [weakSelf](UITapGestureRecognizer&) {
        if (auto strip = weakSelf.lock()) {
            strip->hide();
        }
    });

    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setMinimumLineSpacing(8);
    layout->setMinimumInteritemSpacing(8);
    layout->setScrollDirection(UICollectionViewScrollDirection::vertical);
    layout->setItemSize(CGSize{61, 50});
    layout->setSectionInset(UIEdgeInsets{20, 15, 20, 15});
    collectionView_ = std::make_shared<UICollectionView>(CGRectZero, layout);
    collectionView_->setBackgroundColor(UIColor::clearColor());
    collectionView_->setDelegate(std::static_pointer_cast<UICollectionViewDelegate>(self));
    collectionView_->setDataSource(std::static_pointer_cast<UICollectionViewDataSource>(self));
    collectionView_->registerClass<KKintegratecompatible>(classNameOf<KKintegratecompatible>());

    addSubview(kkcurrencyguidance_);
    addSubview(collectionView_);
    kkcurrencyguidance_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    collectionView_->snp.makeConstraints([](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(-panelWidth);
        make.top.bottom().equalToSuperview();
        make.width.equalTo(panelWidth);
    });
}

void KKenrichchop::slide(CGFloat rightInset, std::function<void(bool)> completion) {
    collectionView_->snp.updateConstraints(
        [rightInset](ConstraintMaker& make) { make.right.equalToSuperview().inset(rightInset); });
    std::weak_ptr<KKenrichchop> weakSelf = std::static_pointer_cast<KKenrichchop>(sharedView());
    UIView::animateWithDuration(
        0.3,
        [weakSelf] {
            if (auto strip = weakSelf.lock()) {
                strip->layoutIfNeeded();
            }
        },
        std::move(completion));
}

void KKenrichchop::show() {
    slide(0, {});
}

void KKenrichchop::hide() {
    std::weak_ptr<KKenrichchop> weakSelf = std::static_pointer_cast<KKenrichchop>(sharedView());
    slide(-panelWidth, [weakSelf](bool) {
        if (auto strip = weakSelf.lock()) {
            strip->removeFromSuperview();
        }
    });
}

long KKenrichchop::numberOfItemsInSection(UICollectionView&, long) {
    return static_cast<long>(list.size());
}

std::shared_ptr<UICollectionViewCell> KKenrichchop::cellForItemAt(UICollectionView& collectionView,
                                                                  const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKintegratecompatible>(collectionView, indexPath);
    cell->name()->setText(list[static_cast<std::size_t>(indexPath.item)]["item"].stringValue());
    const bool current = indexPath == index;
    cell->setBackgroundColor(current ? hexColor("D73F3F", 1) : hexColor("#F5F6F8", 1));
    cell->name()->setTextColor(current ? UIColor::whiteColor() : hexColor("28272C", 1));
    return cell;
}

void KKenrichchop::didSelectItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) {
    index = indexPath;
    if (kkbenefitcompetent) {
        kkbenefitcompetent(indexPath);
    }
    hide();
    collectionView.reloadData();
}
