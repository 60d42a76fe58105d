#include "MainController/Login/Controller/KKmaximumdefyViewController.h"

#include "MainController/Login/Controller/KKentrymaximumViewController.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

const std::shared_ptr<QMUILabel>& KKmaximumdefyViewController::kkjeopardizegallon() {
    if (!kkjeopardizegallon_) {
        kkjeopardizegallon_ = std::make_shared<QMUILabel>();
        kkjeopardizegallon_->setText("欢迎回来，开始登录");
        kkjeopardizegallon_->setTextColor(UIColor::whiteColor());
        kkjeopardizegallon_->setFont(UIFont::systemFontOfSize(20, UIFontWeightMedium));
    }
    return kkjeopardizegallon_;
}

const std::shared_ptr<QMUIButton>& KKmaximumdefyViewController::kkspraychew() {
    if (!kkspraychew_) {
        kkspraychew_ = std::make_shared<QMUIButton>();
        kkspraychew_->setImage(UIImage::imageNamed("close"), UIControlStateNormal);
        kkspraychew_->setAccessibilityIdentifier("login.close");
        const std::weak_ptr<KKmaximumdefyViewController> weak =
            std::static_pointer_cast<KKmaximumdefyViewController>(shared_from_this());
        kkspraychew_->setQmui_tapBlock([weak](UIControl&) {
            if (const auto self = weak.lock()) {
                self->dismissViewControllerAnimated(true);
            }
        });
    }
    return kkspraychew_;
}

const std::shared_ptr<JXSegmentedTitleDataSource>& KKmaximumdefyViewController::dataSource() {
    if (!dataSource_) {
        dataSource_ = std::make_shared<JXSegmentedTitleDataSource>();
        dataSource_->itemSpacing = 34;
        dataSource_->isItemSpacingAverageEnabled = false;
        dataSource_->titles = {"密码登陆"};
        dataSource_->titleNormalColor = hexColor("BEBDC2");
        dataSource_->titleSelectedColor = UIColor::whiteColor();
        dataSource_->titleNormalFont = UIFont::systemFontOfSize(14, UIFontWeightMedium);
        dataSource_->titleSelectedFont = UIFont::systemFontOfSize(18, UIFontWeightMedium);
        dataSource_->isTitleColorGradientEnabled = true;
    }
    return dataSource_;
}

const std::shared_ptr<JXSegmentedIndicatorBackgroundView>& KKmaximumdefyViewController::indicator() {
    if (!indicator_) {
        indicator_ = std::make_shared<JXSegmentedIndicatorBackgroundView>();
        indicator_->indicatorHeight = 3;
        indicator_->indicatorColor = hexColor("D73F3F");
        indicator_->indicatorPosition = JXSegmentedIndicatorPosition::bottom;
    }
    return indicator_;
}

const std::shared_ptr<JXSegmentedView>& KKmaximumdefyViewController::segmentedView() {
    if (!segmentedView_) {
        segmentedView_ = std::make_shared<JXSegmentedView>();
    }
    return segmentedView_;
}

const std::shared_ptr<JXSegmentedListContainerView>& KKmaximumdefyViewController::listContainerView() {
    if (!listContainerView_) {
        listContainerView_ = std::make_shared<JXSegmentedListContainerView>(
            std::static_pointer_cast<KKmaximumdefyViewController>(shared_from_this()),
            JXSegmentedListContainerType::scrollView);
    }
    return listContainerView_;
}

void KKmaximumdefyViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
}

void KKmaximumdefyViewController::setupUI() {
    const auto self = std::static_pointer_cast<KKmaximumdefyViewController>(shared_from_this());
    segmentedView()->setDelegate(self);
    view()->setBackgroundColor(hexColor("1C1B20"));
    segmentedView()->setDataSource(dataSource());
    segmentedView()->setIndicators({indicator()});
    segmentedView()->setListContainer(listContainerView());
    listContainerView()->scrollView()->setScrollEnabled(false);
    view()->addSubview(kkjeopardizegallon());
    view()->addSubview(kkspraychew());
    view()->addSubview(segmentedView());
    view()->addSubview(listContainerView());
    const auto& safeArea = view()->safeAreaLayoutGuide();
    kkjeopardizegallon()->snp.makeConstraints([&safeArea](ConstraintMaker& make) {
        make.top.equalTo(safeArea->snp.top).offset(22);
        make.left.equalToSuperview().inset(32);
    });
    kkspraychew()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.right.equalToSuperview().inset(20);
        make.centerY.equalTo(kkjeopardizegallon()->snp.centerY);
    });
    segmentedView()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkjeopardizegallon()->snp.bottom).offset(76);
        make.left.right().equalToSuperview();
        make.height.equalTo(44);
    });
    listContainerView()->snp.makeConstraints([this, &safeArea](ConstraintMaker& make) {
        make.top.equalTo(segmentedView()->snp.bottom);
        make.left.right().equalToSuperview();
        make.bottom.equalTo(safeArea->snp.bottom);
    });
    // The bar builds its title, and the list its form, from the data sources.
    segmentedView()->reloadData();
}

long KKmaximumdefyViewController::numberOfLists(JXSegmentedListContainerView&) {
    return static_cast<long>(dataSource()->titles.size());
}

std::shared_ptr<JXSegmentedListContainerViewListDelegate>
KKmaximumdefyViewController::initListAt(JXSegmentedListContainerView&, long index) {
    // The form replaced by a mode switch leaves; the new one becomes this page's child, so
    // that it pushes onto this navigation stack and closes this presentation.
    for (const auto& child : std::vector(childViewControllers())) {
        if (std::dynamic_pointer_cast<KKentrymaximumViewController>(child)) {
            child->removeFromParentViewController();
        }
    }
    auto form = std::make_shared<KKentrymaximumViewController>();
    form->isLogin = isLogin;
    form->type = index;
    form->container = std::static_pointer_cast<KKmaximumdefyViewController>(shared_from_this());
    addChildViewController(form);
    form->didMoveToParentViewController(this);
    return form;
}
