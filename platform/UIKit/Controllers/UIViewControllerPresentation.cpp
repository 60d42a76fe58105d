#include "platform/Foundation/Log.h"
#include "platform/UIKit/Controllers/UIPresentationController.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIView.h"
#include "platform/UIKit/UIWindow.h"

#include <typeinfo>

namespace {

std::string describe(const UIViewController& controller) {
    return typeid(controller).name();
}

} // namespace

std::shared_ptr<UIViewController> UIViewController::presentationContext() {
    auto context = sharedController();
    while (auto parent = context->parentViewController()) {
        context = parent;
    }
    return context;
}

std::shared_ptr<UIViewController> UIViewController::presentedViewController() const {
    for (auto controller = std::const_pointer_cast<UIViewController>(
             std::static_pointer_cast<const UIViewController>(shared_from_this()));
         controller; controller = controller->parentViewController()) {
        if (controller->presented_) {
            return controller->presented_;
        }
    }
    return nullptr;
}

std::shared_ptr<UIViewController> UIViewController::presentingViewController() const {
    for (auto controller = std::const_pointer_cast<UIViewController>(
             std::static_pointer_cast<const UIViewController>(shared_from_this()));
         controller; controller = controller->parentViewController()) {
        if (auto presenting = controller->presenting_.lock()) {
            return presenting;
        }
    }
    return nullptr;
}

std::shared_ptr<UIPresentationController>
UIViewController::presentationControllerForPresentation(const std::shared_ptr<UIViewController>& presenting) {
    return UIPresentationController::makeForStyle(modalPresentationStyle_, sharedController(), presenting);
}

void UIViewController::presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
                                             std::function<void()> completion) {
    if (!controller) {
        return;
    }
    auto context = presentationContext();
    if (context->presented_) {
        consoleLog("Attempt to present " + describe(*controller) + " on " + describe(*context) +
                   " which is already presenting " + describe(*context->presented_));
        return;
    }
    if (controller->presenting_.lock() || controller->parentViewController() || controller == context) {
        consoleLog("Attempt to present " + describe(*controller) + " which is already on screen elsewhere");
        return;
    }
    UIWindow* window = context->view_ ? context->view_->window() : nullptr;
    if (window == nullptr) {
        consoleLog("Attempt to present " + describe(*controller) + " on " + describe(*context) +
                   " whose view is not in the window hierarchy");
        return;
    }
    auto presentation = controller->presentationControllerForPresentation(context);
    std::shared_ptr<UIView> presenterContent =
        context->presentation_ ? context->presentation_->containerView() : context->view_;
    context->presented_ = controller;
    controller->presenting_ = context;
    controller->presentation_ = presentation;
    presentation->runPresentation(*window, presenterContent, animated, std::move(completion));
}

void UIViewController::dismissViewControllerAnimated(bool animated, std::function<void()> completion) {
    auto context = presentationContext();
    if (context->presented_) {
        context->dismissPresented(animated, std::move(completion));
        return;
    }
    if (auto presenting = context->presenting_.lock()) {
        presenting->dismissPresented(animated, std::move(completion));
    }
}

void UIViewController::dismissPresented(bool animated, std::function<void()> completion) {
    if (!presented_) {
        return;
    }
    // This presentation and every one stacked on it, lowest first.
    std::vector<std::shared_ptr<UIPresentationController>> chain;
    for (auto controller = presented_; controller; controller = controller->presented_) {
        if (controller->presentation_) {
            chain.push_back(controller->presentation_);
        }
    }
    for (const auto& presentation : chain) {
        if (presentation->isTransitioning()) {
            consoleLog("Attempt to dismiss " + describe(*presented_) + " while a transition is in progress");
            return;
        }
    }
    auto first = chain.front();
    chain.erase(chain.begin());
    first->runDismissal(chain, animated, std::move(completion));
}
