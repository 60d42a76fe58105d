#include "platform/QMUIKit/Controllers/QMUINavigationController.h"

#include "platform/QMUIKit/Controllers/QMUIConfiguration.h"
#include "platform/QMUIKit/Controllers/QMUINavigationControllerAppearanceDelegate.h"
#include "platform/QMUIKit/Controllers/QMUITipsPresenter.h"

bool QMUINavigationControllerAppearanceDelegate::preferredNavigationBarHidden() const {
    return QMUICMI().navigationBarHiddenInitially;
}

QMUINavigationController::QMUINavigationController(std::shared_ptr<UIViewController> rootViewController)
    : UINavigationController(std::move(rootViewController)) {
    // Whatever the kit's controllers show draws with the kit's theme and tips.
    QMUICMI();
    QMUITipsPresenter::install();
}

bool QMUINavigationController::prefersNavigationBarHiddenFor(UIViewController& controller) {
    if (const auto* page = dynamic_cast<const QMUINavigationControllerAppearanceDelegate*>(&controller)) {
        return page->preferredNavigationBarHidden();
    }
    return QMUICMI().navigationBarHiddenInitially;
}
