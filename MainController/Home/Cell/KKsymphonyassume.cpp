#include "MainController/Home/Cell/KKsymphonyassume.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/KKassumefinance.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKfinancerub.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controls/UICollectionViewFlowLayout.h"
#include "platform/UIKit/UIFont.h"

namespace {

std::shared_ptr<UICollectionView> makeStrip() {
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setScrollDirection(UICollectionViewScrollDirection::horizontal);
    layout->setMinimumLineSpacing(8);
    layout->setMinimumInteritemSpacing(8);
    layout->setItemSize({102, 170});
    layout->setSectionInset({0, 12, 0, 12});
    auto strip = std::make_shared<UICollectionView>(CGRectZero, layout);
    strip->setBackgroundColor(UIColor::clearColor());
    strip->setShowsVerticalScrollIndicator(false);
    strip->setShowsHorizontalScrollIndicator(false);
    strip->registerClass<KKassumefinance>(classNameOf<KKassumefinance>());
    return strip;
}

} // namespace

KKsymphonyassume::KKsymphonyassume(UITableViewCellStyle style, const std::string& reuseIdentifier)
    : BaseTableViewCell(style, reuseIdentifier), kkaccountanttense_(std::make_shared<UIView>()),
      title_(std::make_shared<QMUILabel>()), moreBtn_(std::make_shared<QMUIButton>()),
      collectionView_(makeStrip()) {
    kkaccountanttense_->layer()->setCornerRadius(6);
    kkaccountanttense_->setClipsToBounds(true);
    kkaccountanttense_->setBackgroundColor(UIColor::colorWithRed(5 / 255.0, 5 / 255.0, 5 / 255.0, 1));
    title_->setText("热门");
    title_->setTextColor(UIColor::whiteColor());
    title_->setFont(UIFont::systemFontOfSize(20, UIFontWeightMedium));
    moreBtn_->setTitle("更多>", UIControlStateNormal);
    moreBtn_->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    moreBtn_->titleLabel()->setFont(UIFont::systemFontOfSize(12, UIFontWeightMedium));
}

void KKsymphonyassume::didMoveToSuperview() {
    BaseTableViewCell::didMoveToSuperview();
    setupUI();
}

void KKsymphonyassume::setupUI() {
    if (setUp_) {
        return;
    }
    setUp_ = true;
    const auto& content = contentView();
    content->addSubview(kkaccountanttense_);
    kkaccountanttense_->addSubview(title_);
    kkaccountanttense_->addSubview(moreBtn_);
    kkaccountanttense_->addSubview(collectionView_);
    kkaccountanttense_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.right().equalToSuperview().inset(15);
        make.top.bottom().equalToSuperview();
    });
    title_->snp.makeConstraints([](ConstraintMaker& make) { make.top.left().equalToSuperview().inset(12); });
    moreBtn_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(12);
        make.centerY.equalTo(title_->snp.centerY);
    });
    collectionView_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.equalToSuperview().inset(46);
        make.left.right().equalToSuperview();
        make.height.equalTo(170);
    });
    auto self = std::static_pointer_cast<KKsymphonyassume>(sharedView());
    collectionView_->setDataSource(self);
    collectionView_->setDelegate(self);
    collectionView_->reloadData();
}

const JSON* KKsymphonyassume::filmAt(const NSIndexPath& indexPath) const {
    if (!list || indexPath.item < 0 || static_cast<std::size_t>(indexPath.item) >= list->size()) {
        return nullptr;
    }
    return &(*list)[static_cast<std::size_t>(indexPath.item)];
}

long KKsymphonyassume::numberOfItemsInSection(UICollectionView&, long) {
    return list ? static_cast<long>(list->size()) : 0;
}

std::shared_ptr<UICollectionViewCell> KKsymphonyassume::cellForItemAt(UICollectionView& collectionView,
                                                                      const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKassumefinance>(collectionView, indexPath);
    if (const JSON* film = filmAt(indexPath)) {
        cell->configure(KKfinancerub(*film));
    }
    return cell;
}

void KKsymphonyassume::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    const JSON* film = filmAt(indexPath);
    if (!film) {
        return;
    }
    auto page = std::make_shared<KKgiganticgloomy>();
    page->vod_id = KKfinancerub(*film).vodId.value_or("");
    KKpresentationdisease::getCurrentVC()->showViewController(page, nullptr);
}
