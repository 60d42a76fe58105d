#include "platform/QMUIKit/Controllers/QMUICommonViewController.h"

#include "platform/QMUIKit/Controllers/QMUIConfiguration.h"
#include "platform/QMUIKit/Controllers/QMUIEmptyView.h"
#include "platform/QMUIKit/Controllers/QMUITipsPresenter.h"
#include "platform/UIKit/UIView.h"

QMUICommonViewController::QMUICommonViewController() {
    QMUITipsPresenter::install();
    setHidesBottomBarWhenPushed(QMUICMI().hidesBottomBarWhenPushedInitially);
}

QMUICommonViewController::~QMUICommonViewController() = default;

void QMUICommonViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    if (const auto& background = QMUICMI().backgroundColor.get()) {
        view()->setBackgroundColor(*background);
    }
}

const std::shared_ptr<QMUIEmptyView>& QMUICommonViewController::emptyView() {
    if (!emptyView_ && isViewLoaded()) {
        emptyView_ = std::make_shared<QMUIEmptyView>(view()->bounds());
    }
    return emptyView_;
}

void QMUICommonViewController::showEmptyView() {
    const auto& empty = emptyView();
    if (!empty) {
        return;
    }
    empty->setFrame(view()->bounds());
    view()->addSubview(empty);
}

void QMUICommonViewController::hideEmptyView() {
    if (emptyView_) {
        emptyView_->removeFromSuperview();
    }
}

bool QMUICommonViewController::isEmptyViewShowing() const {
    return emptyView_ && emptyView_->superview() == viewIfLoaded();
}

void QMUICommonViewController::layoutChildViews() {
    if (isEmptyViewShowing()) {
        emptyView_->setFrame(view()->bounds());
    }
}

UIInterfaceOrientationMask QMUICommonViewController::supportedInterfaceOrientations() const {
    return QMUICMI().supportedOrientationMask;
}
