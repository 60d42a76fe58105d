#include "app/Helpers/KKpresentationdisease.h"

#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UITabBarController.h"
#include "platform/UIKit/UIWindow.h"

namespace {

using Controller = std::shared_ptr<UIViewController>;

Controller windowRoot() {
    const auto& delegate = UIApplication::sharedApplication()->delegate();
    if (!delegate || !delegate->window) {
        return nullptr;
    }
    return delegate->window->rootViewController();
}

// Follows presented controllers from `controller`: a presented tab bar controller stands
// for its selected tab, a presented navigation controller for its visible page. Nothing
// when a presented tab bar controller has no selected tab.
Controller topOfPresentations(Controller controller) {
    while (const auto presented = controller->presentedViewController()) {
        controller = presented;
        if (const auto tabs = std::dynamic_pointer_cast<UITabBarController>(controller)) {
            controller = tabs->selectedViewController();
            if (!controller) {
                return nullptr;
            }
        } else if (const auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller)) {
            if (auto visible = navigation->visibleViewController()) {
                controller = visible;
            }
        }
    }
    return controller;
}

Controller visibleOrSelf(const std::shared_ptr<UINavigationController>& navigation) {
    auto visible = navigation->visibleViewController();
    return visible ? visible : navigation;
}

Controller rootOrSelf(const std::shared_ptr<UINavigationController>& navigation) {
    const auto& stack = navigation->viewControllers();
    return stack.empty() ? navigation : stack.front();
}

} // namespace

std::shared_ptr<UIViewController> KKpresentationdisease::getCurrentVC() {
    const auto root = windowRoot();
    const auto top = root ? topOfPresentations(root) : nullptr;
    if (!top) {
        return std::make_shared<UIViewController>();
    }
    if (const auto tabs = std::dynamic_pointer_cast<UITabBarController>(top)) {
        const auto selected = tabs->selectedViewController();
        if (!selected) {
            return std::make_shared<UIViewController>();
        }
        const auto navigation = std::dynamic_pointer_cast<UINavigationController>(selected);
        return navigation ? visibleOrSelf(navigation) : selected;
    }
    if (const auto navigation = std::dynamic_pointer_cast<UINavigationController>(top)) {
        return visibleOrSelf(navigation);
    }
    return top;
}

std::shared_ptr<UIViewController> KKpresentationdisease::getMainCurrentVC() {
    const auto root = windowRoot();
    const auto top = root ? topOfPresentations(root) : nullptr;
    if (!top) {
        return std::make_shared<UIViewController>();
    }
    if (const auto tabs = std::dynamic_pointer_cast<UITabBarController>(top)) {
        const auto selected = tabs->selectedViewController();
        if (!selected) {
            return std::make_shared<UIViewController>();
        }
        const auto navigation = std::dynamic_pointer_cast<UINavigationController>(selected);
        return navigation ? rootOrSelf(navigation) : selected;
    }
    return top;
}
