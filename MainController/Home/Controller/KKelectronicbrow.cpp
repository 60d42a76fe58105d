#include "MainController/Home/Controller/KKelectronicbrow.h"

#include "MainController/Home/Controller/KKdomaingrapeViewController.h"
#include "MainController/Home/Controller/KKleapkeyboardViewController.h"
#include "MainController/My/Controller/KKboycotthemisphereViewController.h"
#include "MainController/My/Controller/KKcommonplaceremedyViewController.h"
#include "MainController/My/Controller/KKinterfereboycottViewController.h"
#include "MainController/Search/Controller/KKtenseadjacentViewController.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Extensions/UIViewExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKrearinfluence.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIFont.h"

namespace {

std::shared_ptr<QMUIButton> iconButton(const char* imageName, const char* identifier) {
    auto button = std::make_shared<QMUIButton>();
    button->setImage(UIImage::imageNamed(imageName), UIControlStateNormal);
    button->setAccessibilityIdentifier(identifier);
    return button;
}

} // namespace

void KKelectronicbrow::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
    setupSegmentedView();
    refreshLogin();
    loadTypeList();
}

void KKelectronicbrow::viewWillAppear(bool animated) {
    BaseViewController::viewWillAppear(animated);
    showContinueView();
    loadNotice();
}

template <class Page> void KKelectronicbrow::open() {
    showViewController(std::make_shared<Page>(), nullptr);
}

void KKelectronicbrow::setupUI() {
    std::weak_ptr<KKelectronicbrow> weak = std::static_pointer_cast<KKelectronicbrow>(sharedController());
    const auto& root = view();

    kkexemptconvention_ = std::make_shared<UIView>();
    kkexemptconvention_->setBackgroundColor(hexColor("1C1B20"));
    kkconventiondisturb_ = std::make_shared<UIImageView>(UIImage::imageNamed("default_logo"));
    kkconventiondisturb_->setAccessibilityIdentifier("home.logo");
    addTapAction(*kkconventiondisturb_, [weak](UITapGestureRecognizer&) {
        if (auto self = weak.lock()) {
            self->open<KKboycotthemisphereViewController>();
        }
    });

    searchBar_ = std::make_shared<QMUIButton>();
    searchBar_->setAccessibilityIdentifier("home.search");
    searchBar_->setTitle(searchPlaceholder(), UIControlStateNormal);
    searchBar_->setTitleColor(hexColor("BEBDC2"), UIControlStateNormal);
    searchBar_->titleLabel()->setFont(UIFont::systemFontOfSize(12, UIFontWeightMedium));
    searchBar_->setImage(UIImage::imageNamed("home_search"), UIControlStateNormal);
    searchBar_->setSpacingBetweenImageAndTitle(4);
    searchBar_->contentHorizontalAlignment = UIControlContentHorizontalAlignment::left;
    searchBar_->setContentEdgeInsets({0, 8, 0, 0});
    searchBar_->layer()->setBorderWidth(1);
    searchBar_->layer()->setBorderColor(hexColor("BEBDC2"));
    searchBar_->layer()->setCornerRadius(17);
    searchBar_->setClipsToBounds(true);
    searchBar_->setQmui_tapBlock([weak](UIControl&) {
        if (auto self = weak.lock()) {
            self->open<KKtenseadjacentViewController>();
        }
    });

    kkdisturbtissue_ = iconButton("home_history", "home.history");
    kkdisturbtissue_->setQmui_tapBlock([weak](UIControl&) {
        if (auto self = weak.lock()) {
            self->open<KKinterfereboycottViewController>();
        }
    });
    kktissuelounge_ = iconButton("home_download", "home.downloads");
    kktissuelounge_->setQmui_tapBlock([weak](UIControl&) {
        if (auto self = weak.lock()) {
            self->open<KKcommonplaceremedyViewController>();
        }
    });
    kkloungecandy_ = std::make_shared<UIStackView>();
    kkloungecandy_->setAxis(UILayoutConstraintAxis::horizontal);
    kkloungecandy_->setSpacing(10);
    kkloungecandy_->setDistribution(UIStackViewDistribution::fill);

    root->addSubview(kkexemptconvention_);
    kkexemptconvention_->addSubview(kkconventiondisturb_);
    kkexemptconvention_->addSubview(searchBar_);
    kkexemptconvention_->addSubview(kkloungecandy_);
    kkloungecandy_->addArrangedSubview(kkdisturbtissue_);
    kkloungecandy_->addArrangedSubview(kktissuelounge_);

    kkexemptconvention_->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.left().right().equalToSuperview();
        make.height.equalTo(statusBarHeight() + 55);
    });
    kkconventiondisturb_->snp.makeConstraints([](ConstraintMaker& make) {
        make.left.bottom().equalToSuperview().inset(15);
        make.size.equalTo(CGSize{34, 34});
    });
    kkloungecandy_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(15);
        make.centerY.equalTo(kkconventiondisturb_->snp.centerY);
        make.height.equalTo(28);
    });
    for (const auto& button : {kkdisturbtissue_, kktissuelounge_}) {
        button->snp.makeConstraints([](ConstraintMaker& make) { make.size.equalTo(CGSize{28, 28}); });
    }
    searchBar_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.left.equalToSuperview().inset(60);
        make.right.equalTo(kkloungecandy_->snp.left).offset(-12);
        make.bottom.equalToSuperview().inset(15);
        make.height.equalTo(34);
    });
}

void KKelectronicbrow::setupSegmentedView() {
    const auto self = std::static_pointer_cast<KKelectronicbrow>(sharedController());
    dataSource_ = std::make_shared<JXSegmentedTitleDataSource>();
    dataSource_->isTitleColorGradientEnabled = true;
    dataSource_->titleSelectedColor = UIColor::whiteColor();
    dataSource_->titleNormalColor = hexColor("BEBDC2");
    dataSource_->titleNormalFont = UIFont::systemFontOfSize(15, UIFontWeightMedium);
    dataSource_->titleSelectedFont = UIFont::systemFontOfSize(20, UIFontWeightMedium);
    dataSource_->itemSpacing = 26;

    indicator_ = std::make_shared<JXSegmentedIndicatorBackgroundView>();
    indicator_->indicatorPosition = JXSegmentedIndicatorPosition::bottom;
    indicator_->indicatorColor = hexColor("D73F3F");
    indicator_->indicatorWidth = 38;
    indicator_->indicatorHeight = 3;

    listContainerView_ =
        std::make_shared<JXSegmentedListContainerView>(self, JXSegmentedListContainerType::scrollView);
    segmentedView_ = std::make_shared<JXSegmentedView>();
    segmentedView_->setBackgroundColor(hexColor("1C1B20"));
    segmentedView_->setDataSource(dataSource_);
    segmentedView_->setIndicators({indicator_});
    segmentedView_->setListContainer(listContainerView_);
    segmentedView_->setDelegate(self);

    const auto& root = view();
    root->addSubview(segmentedView_);
    root->addSubview(listContainerView_);
    segmentedView_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkexemptconvention_->snp.bottom);
        make.left.right().equalToSuperview();
        make.height.equalTo(44);
    });
    listContainerView_->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(segmentedView_->snp.bottom);
        make.left.right().equalToSuperview();
        make.bottom.equalTo(view()->safeAreaLayoutGuide()->snp.bottom);
    });
}

// ---- Tabs ----

void KKelectronicbrow::loadTypeList() {
    const auto cached = userDefaults().stringForKey(homeTabsCacheKey);
    if (cached) {
        showTabs(homeTabsFromCache(*cached));
    } else {
        showTabs({});
    }
    QMUITips::showLoadingInView(KKpresentationdisease::getCurrentVC()->view());
    std::weak_ptr<KKelectronicbrow> weak = std::static_pointer_cast<KKelectronicbrow>(sharedController());
    apiClient.sendRequest(HTTPMethod::get, "api/indexLabelList", {},
                          [weak](std::optional<JSON> json, std::optional<NSError>) {
                              auto self = weak.lock();
                              if (!self) {
                                  return;
                              }
                              const bool hasCache = userDefaults().stringForKey(homeTabsCacheKey).has_value();
                              if (!json) {
                                  if (!hasCache) {
                                      mainQueue().asyncAfter(1.0, [weak] {
                                          if (auto self = weak.lock()) {
                                              self->loadTypeList();
                                          }
                                      });
                                  }
                                  return;
                              }
                              if (!hasCache) {
                                  self->showTabs(homeTabsFromJSON(*json));
                              }
                              if (json->array()) {
                                  userDefaults().setString(homeTabsCacheKey, json->rawString());
                              }
                          });
}

void KKelectronicbrow::showTabs(const std::vector<HomeTab>& tabs) {
    std::vector<std::string> titles;
    types_.clear();
    for (const auto& tab : tabs) {
        types_.push_back(tab.typeId);
        titles.push_back(tab.title);
    }
    // The container drops its pages when the tabs are rebuilt; so do we.
    for (const auto& [index, list] : listContainerView_->validListDict()) {
        if (auto page = std::dynamic_pointer_cast<UIViewController>(list)) {
            page->willMoveToParentViewController(nullptr);
            page->removeFromParentViewController();
        }
    }
    dataSource_->titles = std::move(titles);
    segmentedView_->reloadData();
}

long KKelectronicbrow::numberOfLists(JXSegmentedListContainerView&) {
    return dataSource_->numberOfItems();
}

std::shared_ptr<JXSegmentedListContainerViewListDelegate>
KKelectronicbrow::initListAt(JXSegmentedListContainerView&, long index) {
    std::shared_ptr<BaseViewController> page;
    std::shared_ptr<JXSegmentedListContainerViewListDelegate> list;
    if (index == 0 && !dataSource_->titles.empty() && dataSource_->titles.front() == recommendTabTitle()) {
        auto recommend = std::make_shared<KKdomaingrapeViewController>();
        page = recommend;
        list = recommend;
    } else {
        auto category = std::make_shared<KKleapkeyboardViewController>();
        if (index >= 0 && static_cast<std::size_t>(index) < types_.size()) {
            category->type_id = types_[static_cast<std::size_t>(index)];
        }
        page = category;
        list = category;
    }
    // Pages of the tabs belong to this page, so that they push onto its navigation stack.
    addChildViewController(page);
    page->didMoveToParentViewController(this);
    return list;
}
