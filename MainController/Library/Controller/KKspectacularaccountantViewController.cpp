#include "MainController/Library/Controller/KKspectacularaccountantViewController.h"

#include "MainController/Detail/Controller/KKgiganticgloomy.h"
#include "MainController/Home/Cell/KKcreatesymphony.h"
#include "MainController/Library/View/LibraryGridLayout.h"
#include "MainController/Theme/Controller/KKpillleakViewController.h"
#include "app/Base/BaseCells.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/ListExtensions.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/MJRefresh/MJRefreshHeader.h"
#include "platform/QMUIKit/Controllers/QMUIEmptyView.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"

namespace {

constexpr CGFloat kHeaderHeightBeforeFilters = 185;

} // namespace

std::weak_ptr<KKspectacularaccountantViewController> KKspectacularaccountantViewController::weakSelf() {
    return std::static_pointer_cast<KKspectacularaccountantViewController>(shared_from_this());
}

void KKspectacularaccountantViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    collectionView()->mj_header()->beginRefreshing();
}

const std::shared_ptr<UIView>& KKspectacularaccountantViewController::kkexemptconvention() {
    if (!kkexemptconvention_) {
        kkexemptconvention_ = std::make_shared<UIView>();
        kkexemptconvention_->setBackgroundColor(hexColor("1C1B20"));
    }
    return kkexemptconvention_;
}

const std::shared_ptr<QMUILabel>& KKspectacularaccountantViewController::kkconverselyregulation() {
    if (!kkconverselyregulation_) {
        kkconverselyregulation_ = std::make_shared<QMUILabel>();
        kkconverselyregulation_->setText("片库");
        kkconverselyregulation_->setTextColor(UIColor::whiteColor());
        kkconverselyregulation_->setFont(UIFont::systemFontOfSize(20, UIFontWeightMedium));
    }
    return kkconverselyregulation_;
}

const std::shared_ptr<QMUIButton>& KKspectacularaccountantViewController::kkregulationmaintain() {
    if (!kkregulationmaintain_) {
        kkregulationmaintain_ = std::make_shared<QMUIButton>();
        kkregulationmaintain_->setTitle("主题", UIControlStateNormal);
        kkregulationmaintain_->setTitleColor(hexColor("BEBDC2"), UIControlStateNormal);
        kkregulationmaintain_->titleLabel()->setFont(UIFont::systemFontOfSize(15, UIFontWeightMedium));
        kkregulationmaintain_->setQmui_tapBlock([weak = weakSelf()](UIControl&) {
            if (auto self = weak.lock()) {
                self->openTopics();
            }
        });
    }
    return kkregulationmaintain_;
}

const std::shared_ptr<UICollectionView>& KKspectacularaccountantViewController::collectionView() {
    if (!collectionView_) {
        collectionView_ = std::make_shared<UICollectionView>(CGRectZero, makeLibraryGridLayout());
        collectionView_->setBackgroundColor(hexColor("28272C"));
        collectionView_->setContentInset(UIEdgeInsetsMake(0, 0, 70, 0));
        collectionView_->setScrollIndicatorInsets(UIEdgeInsetsMake(0, 0, 50, 0));
        collectionView_->setAccessibilityIdentifier("library.grid");
        collectionView_->registerClass<KKcreatesymphony>(classNameOf<KKcreatesymphony>());
        collectionView_->registerClassForSupplementaryViewOfKind([] { return KKtyrepuzzle::make(); },
                                                                 UICollectionElementKindSectionHeader,
                                                                 classNameOf<KKtyrepuzzle>());
        collectionView_->registerClassForSupplementaryViewOfKind<BaseCollectionReusableView>(
            UICollectionElementKindSectionHeader, classNameOf<BaseCollectionReusableView>());
        auto self = std::static_pointer_cast<KKspectacularaccountantViewController>(shared_from_this());
        collectionView_->setDataSource(self);
        collectionView_->setDelegate(self);
    }
    return collectionView_;
}

void KKspectacularaccountantViewController::setupUI() {
    const auto& root = view();
    root->addSubview(kkexemptconvention());
    kkexemptconvention_->addSubview(kkconverselyregulation());
    kkexemptconvention_->addSubview(kkregulationmaintain());
    root->addSubview(collectionView());

    kkexemptconvention_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(statusBarHeight() + 44);
    });
    kkconverselyregulation_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.equalToSuperview().offset(15);
        make.bottom.equalToSuperview().offset(-8);
    });
    kkregulationmaintain_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalToSuperview().offset(-15);
        make.centerY.equalTo(kkconverselyregulation_->snp.centerY);
    });
    collectionView_->snp.makeConstraints([this, &root](ConstraintMaker& make) {
        make.top.equalTo(kkexemptconvention_->snp.bottom);
        make.bottom.equalTo(root->safeAreaLayoutGuide()->snp.bottom);
        make.left.right().equalToSuperview();
    });

    films_->attach(collectionView_, std::static_pointer_cast<QMUICommonViewController>(sharedController()));
    // Each page the controls ask also brings the filter tree again.
    films_->setControlAction([weak = weakSelf()] {
        if (auto self = weak.lock()) {
            self->loadData();
        }
    });
    emptyView()->setVerticalOffset(60);
}

void KKspectacularaccountantViewController::loadData() {
    if (auto cached = LibraryFilterTree::cached()) {
        tagList_ = std::move(*cached);
        collectionView()->reloadData();
    }
    apiClient.sendRequest(HTTPMethod::get, "api/tagList", {},
                          [weak = weakSelf()](std::optional<JSON> json, std::optional<NSError>) {
                              if (auto self = weak.lock()) {
                                  self->handleTagList(json);
                              }
                          });
}

void KKspectacularaccountantViewController::handleTagList(const std::optional<JSON>& json) {
    if (!json) {
        return;
    }
    // A stored tree stays on screen until the next launch; the answer only replaces it
    // in the store.
    if (!userDefaults().stringForKey(LibraryFilterTree::kDefaultsKey)) {
        tagList_ = json->arrayValue();
        collectionView()->reloadData();
    }
    LibraryFilterTree::store(*json);
}

void KKspectacularaccountantViewController::loadList(int page, PagedListBase::Completion completion) {
    apiClient.vodList(page, filters_.typeId, kPageSize, filters_.area, filters_.lang, filters_.year,
                      filters_.classtype, std::move(completion));
}

void KKspectacularaccountantViewController::filtersChanged() {
    // The old films go at once; until the new ones arrive the page shows its loading tip
    // rather than the empty view.
    films_->startOver();
    QMUITips::showLoadingInView(view());
}

void KKspectacularaccountantViewController::assignFilterCallbacks(KKtyrepuzzle& header) {
    const auto weak = weakSelf();
    header.clickType = [weak](long index, const std::string& typeId) {
        if (auto self = weak.lock()) {
            self->filters_.chooseType(typeId);
            self->filtersChanged();
            if (self->tagList_ && self->kkgrapeleap_) {
                self->kkgrapeleap_->rebuild(*self->tagList_, index);
            }
        }
    };
    const auto setter = [weak](std::optional<std::string> LibraryFilters::*filter) {
        return [weak, filter](const std::string& value) {
            if (auto self = weak.lock()) {
                self->filters_.*filter = value;
                self->filtersChanged();
            }
        };
    };
    header.clickClass = setter(&LibraryFilters::classtype);
    header.clickArea = setter(&LibraryFilters::area);
    header.clickLang = setter(&LibraryFilters::lang);
    header.clickYear = setter(&LibraryFilters::year);
}

long KKspectacularaccountantViewController::numberOfItemsInSection(UICollectionView&, long) {
    return static_cast<long>(films_->size());
}

std::shared_ptr<UICollectionViewCell>
KKspectacularaccountantViewController::cellForItemAt(UICollectionView& collectionView,
                                                     const NSIndexPath& indexPath) {
    auto cell = dequeueReusableCell<KKcreatesymphony>(collectionView, indexPath);
    if (const KKfinancerub* film = films_->at(indexPath.item)) {
        cell->configure(*film);
    }
    return cell;
}

std::shared_ptr<UICollectionReusableView>
KKspectacularaccountantViewController::viewForSupplementaryElementOfKind(UICollectionView& collectionView,
                                                                         const std::string& kind,
                                                                         const NSIndexPath& indexPath) {
    if (kind != UICollectionElementKindSectionHeader) {
        return std::make_shared<UICollectionReusableView>();
    }
    if (!tagList_) {
        return dequeueReusableSupplementaryView<BaseCollectionReusableView>(collectionView, kind, indexPath);
    }
    if (!kkgrapeleap_) {
        kkgrapeleap_ = dequeueReusableSupplementaryView<KKtyrepuzzle>(collectionView, kind, indexPath);
        kkgrapeleap_->rebuild(*tagList_, 0);
    }
    assignFilterCallbacks(*kkgrapeleap_);
    return kkgrapeleap_;
}

std::optional<CGSize>
KKspectacularaccountantViewController::referenceSizeForHeaderInSection(UICollectionView&,
                                                                       UICollectionViewLayout&, long) {
    if (!kkgrapeleap_) {
        return CGSizeMake(screenWidth(), kHeaderHeightBeforeFilters);
    }
    // The rows of the chosen type decide the height: lay them out now rather than a frame later.
    kkgrapeleap_->layoutIfNeeded();
    const CGRect stack = kkgrapeleap_->kkloungecandy()->frame();
    return CGSizeMake(screenWidth(), stack.origin.y + stack.size.height + 10);
}

void KKspectacularaccountantViewController::didSelectItemAt(UICollectionView&, const NSIndexPath& indexPath) {
    const KKfinancerub* film = films_->at(indexPath.item);
    if (!film) {
        return;
    }
    auto resources = std::make_shared<KKgiganticgloomy>();
    resources->vod_id = film->vodId.value_or("");
    showViewController(resources, nullptr);
}

void KKspectacularaccountantViewController::openTopics() {
    auto topics = std::make_shared<KKpillleakViewController>();
    topics->setHidesBottomBarWhenPushed(true);
    showViewController(topics, nullptr);
}
