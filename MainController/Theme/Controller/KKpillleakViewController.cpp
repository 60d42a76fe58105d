#include "MainController/Theme/Controller/KKpillleakViewController.h"

#include "MainController/Theme/Cell/KKtrulyditch.h"
#include "MainController/Theme/Controller/KKequationpillViewController.h"
#include "MainController/Theme/View/ThemeBar.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/SnapKit/ConstraintMaker.h"

std::weak_ptr<KKpillleakViewController> KKpillleakViewController::weakSelf() {
    return std::static_pointer_cast<KKpillleakViewController>(shared_from_this());
}

void KKpillleakViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    collectionView()->mj_header()->beginRefreshing();
}

const std::shared_ptr<UIImageView>& KKpillleakViewController::backgroundView() {
    if (!backgroundView_) {
        backgroundView_ = std::make_shared<UIImageView>(UIImage::imageNamed("theme_background"));
        backgroundView_->setContentMode(UIViewContentMode::scaleToFill);
    }
    return backgroundView_;
}

const std::shared_ptr<UIView>& KKpillleakViewController::kkexemptconvention() {
    if (!kkexemptconvention_) {
        kkexemptconvention_ = makeThemeBar();
    }
    return kkexemptconvention_;
}

const std::shared_ptr<QMUIButton>& KKpillleakViewController::kkdilemmaspectacular() {
    if (!kkdilemmaspectacular_) {
        kkdilemmaspectacular_ = makeThemeBackButton(*this);
    }
    return kkdilemmaspectacular_;
}

const std::shared_ptr<QMUILabel>& KKpillleakViewController::titleLabel() {
    if (!titleLabel_) {
        titleLabel_ = std::make_shared<QMUILabel>();
        titleLabel_->setText("主题");
        titleLabel_->setTextColor(UIColor::whiteColor());
        titleLabel_->setFont(UIFont::systemFontOfSize(18));
    }
    return titleLabel_;
}

const std::shared_ptr<UICollectionView>& KKpillleakViewController::collectionView() {
    if (!collectionView_) {
        auto layout = std::make_shared<UICollectionViewFlowLayout>();
        layout->setScrollDirection(UICollectionViewScrollDirection::vertical);
        layout->setMinimumLineSpacing(10);
        layout->setMinimumInteritemSpacing(10);
        layout->setItemSize(CGSizeMake(screenWidth() - 30, KKtrulyditch::cardHeight()));
        layout->setSectionInset(UIEdgeInsetsMake(35, 15, 20, 15));
        collectionView_ = std::make_shared<UICollectionView>(CGRectZero, layout);
        collectionView_->setBackgroundColor(UIColor::clearColor());
        collectionView_->setScrollIndicatorInsets(UIEdgeInsetsMake(0, 0, 20, 0));
        collectionView_->setAccessibilityIdentifier("topics.list");
        collectionView_->registerClass<KKtrulyditch>(classNameOf<KKtrulyditch>());
        auto self = std::static_pointer_cast<KKpillleakViewController>(shared_from_this());
        collectionView_->setDataSource(self);
        collectionView_->setDelegate(self);
    }
    return collectionView_;
}

void KKpillleakViewController::setupUI() {
    const auto& root = view();
    root->addSubview(backgroundView());
    root->addSubview(collectionView());
    root->addSubview(kkexemptconvention());
    kkexemptconvention_->addSubview(kkdilemmaspectacular());
    kkexemptconvention_->addSubview(titleLabel());

    backgroundView_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(237);
    });
    kkexemptconvention_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(statusBarHeight() + 44);
    });
    collectionView_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkexemptconvention_->snp.bottom);
        make.left.right().bottom().equalToSuperview();
    });
    kkdilemmaspectacular_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.bottom().equalToSuperview();
        make.size.equalTo(CGSizeMake(44, 44));
    });
    titleLabel_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.centerX.equalToSuperview();
        make.centerY.equalTo(kkdilemmaspectacular_->snp.centerY);
    });

    topics_->attach(collectionView_, std::static_pointer_cast<QMUICommonViewController>(sharedController()));
}

void KKpillleakViewController::fetchTopics(int page, PagedListBase::Completion completion) {
    apiClient.themeList(page, kPageSize, std::move(completion));
}

long KKpillleakViewController::numberOfItemsInSection(UICollectionView&, long) {
    return static_cast<long>(topics_->size());
}

std::shared_ptr<UICollectionViewCell>
KKpillleakViewController::cellForItemAt(UICollectionView& collectionView, const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKtrulyditch>(collectionView, indexPath);
    if (const JSON* topic = topics_->at(indexPath.item)) {
        cell->configure(*topic);
    }
    return cell;
}

void KKpillleakViewController::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    const JSON* chosen = topics_->at(indexPath.item);
    if (!chosen) {
        return;
    }
    auto topic = std::make_shared<KKequationpillViewController>();
    topic->topic_id = (*chosen)["topic_id"].stringValue();
    showViewController(topic, nullptr);
}

void KKpillleakViewController::didScroll(UIScrollView& scrollView) {
    fadeThemeBar(*kkexemptconvention(), scrollView);
}
