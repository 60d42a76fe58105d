#include "MainController/Home/Cell/KKgrainreform.h"

#include "MainController/Home/Cell/KKreformcreate.h"
#include "app/Extensions/ListExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"

KKgrainreform::KKgrainreform(UITableViewCellStyle style, const std::string& reuseIdentifier)
    : BaseTableViewCell(style, reuseIdentifier) {
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setScrollDirection(UICollectionViewScrollDirection::horizontal);
    layout->setItemSize({212, 276});
    layout->setMinimumInteritemSpacing(10);
    layout->setSectionInset({0, 15, 0, 15});
    collectionView_ = std::make_shared<UICollectionView>(CGRectZero, layout);
    collectionView_->setBackgroundColor(UIColor::clearColor());
    collectionView_->setShowsVerticalScrollIndicator(false);
    collectionView_->setShowsHorizontalScrollIndicator(false);
    collectionView_->registerClass<KKreformcreate>(classNameOf<KKreformcreate>());
}

void KKgrainreform::didMoveToSuperview() {
    BaseTableViewCell::didMoveToSuperview();
    setupUI();
}

void KKgrainreform::setupUI() {
    if (setUp_) {
        return;
    }
    setUp_ = true;
    contentView()->addSubview(collectionView_);
    collectionView_->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });
    auto self = std::static_pointer_cast<KKgrainreform>(sharedView());
    collectionView_->setDataSource(self);
    collectionView_->setDelegate(self);
    collectionView_->reloadData();
}

long KKgrainreform::numberOfItemsInSection(UICollectionView&, long) {
    return list ? static_cast<long>(list->size()) : 0;
}

std::shared_ptr<UICollectionViewCell> KKgrainreform::cellForItemAt(UICollectionView& collectionView,
                                                                   const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKreformcreate>(collectionView, indexPath);
    if (list && indexPath.item >= 0 && static_cast<std::size_t>(indexPath.item) < list->size()) {
        cell->configure((*list)[static_cast<std::size_t>(indexPath.item)]);
    }
    return cell;
}
