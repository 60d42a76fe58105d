#include "MainController/Home/Controller/KKkeyboardexplicitViewController.h"

#include "MainController/Home/Cell/PosterImage.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/AZGradientView.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/SDWebImage/UIImageView+WebCache.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/UIFont.h"

#include <algorithm>

void KKkeyboardexplicitViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    collectionView_->mj_header()->beginRefreshing();
}

void KKkeyboardexplicitViewController::setupUI() {
    std::weak_ptr<KKkeyboardexplicitViewController> weak =
        std::static_pointer_cast<KKkeyboardexplicitViewController>(sharedController());
    const auto& root = view();

    backgroundView_ = std::make_shared<UIImageView>();
    backgroundView_->setContentMode(UIViewContentMode::scaleAspectFill);
    backgroundView_->setClipsToBounds(true);
    // The backdrop darkens from the bar's colour at the top to clear, over whatever size
    // the backdrop takes.
    auto shade = AZGradientView::az_gradientViewWithColors({hexColor("1C1B20"), UIColor::clearColor()},
                                                           {0, 1}, {0, 0}, {0, 1});
    backgroundView_->addSubview(shade);
    shade->snp.makeConstraints([](ConstraintMaker& make) { make.edges.equalToSuperview(); });

    kkexemptconvention_ = std::make_shared<UIView>();
    kkexemptconvention_->setBackgroundColor(hexColor("1C1B20", 0));
    kkdilemmaspectacular_ = std::make_shared<QMUIButton>();
    kkdilemmaspectacular_->setImage(UIImage::imageNamed("back"), UIControlStateNormal);
    kkdilemmaspectacular_->setAccessibilityIdentifier("morelist.back");
    kkdilemmaspectacular_->setQmui_tapBlock([weak](UIControl&) {
        const auto self = weak.lock();
        if (auto navigation = self ? self->navigationController() : nullptr) {
            navigation->popViewControllerAnimated(true);
        }
    });
    titleLabel_ = std::make_shared<QMUILabel>();
    titleLabel_->setTextColor(UIColor::whiteColor());
    titleLabel_->setFont(UIFont::systemFontOfSize(18));

    films_ = FilmList::make([typeId = std::to_string(type_id)](int page, KKriplog::Completion completion) {
        apiClient.indexVodRecList(page, typeId, kFilmPageSize, std::move(completion));
    });
    films_->setListener([weak](const FilmList::Update& update) {
        const auto self = weak.lock();
        if (self && update.succeeded) {
            self->showAnswer();
        }
    });
    gridSource_ = std::make_shared<FilmGridDataSource>(films_);
    collectionView_ = makeFilmGrid({80, 15, 20, 15});
    collectionView_->setScrollIndicatorInsets({0, 0, 20, 0});
    collectionView_->setDataSource(gridSource_);
    collectionView_->setDelegate(weak.lock());

    root->addSubview(backgroundView_);
    root->addSubview(collectionView_);
    root->addSubview(kkexemptconvention_);
    kkexemptconvention_->addSubview(kkdilemmaspectacular_);
    kkexemptconvention_->addSubview(titleLabel_);
    backgroundView_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(130);
    });
    kkexemptconvention_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(statusBarHeight() + 44);
    });
    collectionView_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkexemptconvention_->snp.bottom).offset(10);
        make.left.right().bottom().equalToSuperview();
    });
    kkdilemmaspectacular_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.bottom().equalToSuperview();
        make.size.equalTo(CGSize{44, 44});
    });
    titleLabel_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.centerX.equalToSuperview();
        make.centerY.equalTo(kkdilemmaspectacular_->snp.centerY);
    });
    films_->attach(collectionView_, weak.lock());
}

void KKkeyboardexplicitViewController::showAnswer() {
    titleLabel_->setText(title());
    const auto& films = films_->items();
    if (!films.empty() && films.front().vodPic && isWebAddress(*films.front().vodPic)) {
        sd_setImageWithURL(backgroundView_, *films.front().vodPic);
    }
}

void KKkeyboardexplicitViewController::didScroll(UIScrollView& scrollView) {
    updateHeaderFade(scrollView.contentOffset().y);
}

void KKkeyboardexplicitViewController::updateHeaderFade(CGFloat offsetY) {
    const CGFloat share = std::clamp<CGFloat>(offsetY / 100, 0, 1);
    backgroundView_->setAlpha(1 - share);
    kkexemptconvention_->setBackgroundColor(hexColor("1C1B20", share));
}

void KKkeyboardexplicitViewController::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    openFilm(*films_, indexPath.item, *this);
}
