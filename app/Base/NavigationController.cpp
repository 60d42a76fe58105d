#include "app/Base/NavigationController.h"

void NavigationController::viewDidLoad() {
    QMUINavigationController::viewDidLoad();
    navigationBar()->setTranslucent(false);
}

void NavigationController::pushViewController(std::shared_ptr<UIViewController> controller, bool animated) {
    controller->setHidesBottomBarWhenPushed(!viewControllers().empty());
    QMUINavigationController::pushViewController(std::move(controller), animated);
}

std::shared_ptr<UIViewController> NavigationController::top() const {
    return const_cast<NavigationController*>(this)->topViewController();
}

// A stack is always made with its root; while it has none, the answers are the base's.
bool NavigationController::shouldAutorotate() const {
    const auto page = top();
    return page ? page->shouldAutorotate() : QMUINavigationController::shouldAutorotate();
}

UIInterfaceOrientationMask NavigationController::supportedInterfaceOrientations() const {
    const auto page = top();
    return page ? page->supportedInterfaceOrientations()
                : QMUINavigationController::supportedInterfaceOrientations();
}

UIInterfaceOrientation NavigationController::preferredInterfaceOrientationForPresentation() const {
    const auto page = top();
    return page ? page->preferredInterfaceOrientationForPresentation()
                : QMUINavigationController::preferredInterfaceOrientationForPresentation();
}

std::shared_ptr<UIViewController> NavigationController::childViewControllerForStatusBarStyle() const {
    return top();
}

std::shared_ptr<UIViewController> NavigationController::childViewControllerForStatusBarHidden() const {
    return top();
}
