#include "platform/UIKit/Controllers/UIViewController.h"

#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UINavigationItem.h"
#include "platform/UIKit/Controllers/UIPresentationController.h"
#include "platform/UIKit/Controllers/UITabBarController.h"
#include "platform/UIKit/Controllers/UITabBarItem.h"
#include "platform/UIKit/Controllers/UIViewControllerView.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"

#include <algorithm>

// ---- The view ------------------------------------------------------------------------

UIViewControllerView::UIViewControllerView(const CGRect& frame, std::weak_ptr<UIViewController> controller)
    : UIView(frame), controller_(std::move(controller)) {}

void UIViewControllerView::layoutSubviews() {
    auto controller = controller_.lock();
    if (controller) {
        controller->viewWillLayoutSubviews();
        controller->layoutChildViews();
    }
    UIView::layoutSubviews();
    if (controller) {
        controller->viewDidLayoutSubviews();
    }
}

UIViewController::UIViewController() {
    // Controllers put the window's root controller in place.
    static const bool installed = [] {
        UIWindow::setRootViewControllerHandler(&UIViewController::windowRootDidChange);
        UIScreen::setChangeHandler(&UIApplication::screenDidChange);
        return true;
    }();
    (void)installed;
}

UIViewController::~UIViewController() {
    if (view_) {
        view_->setNextResponderOverride({});
    }
}

const std::shared_ptr<UIView>& UIViewController::view() {
    if (!view_ && !loadingView_) {
        auto self = sharedController();
        loadingView_ = true;
        loadView();
        loadingView_ = false;
        if (!view_) {
            // An override that made no view gets the default one.
            UIViewController::loadView();
        }
        viewDidLoad();
    }
    return view_;
}

void UIViewController::loadView() {
    setView(std::make_shared<UIViewControllerView>(UIScreen::mainScreen().bounds(),
                                                   std::weak_ptr<UIViewController>(sharedController())));
}

void UIViewController::setView(std::shared_ptr<UIView> view) {
    if (view_ == view) {
        return;
    }
    if (view_) {
        view_->setNextResponderOverride({});
    }
    view_ = std::move(view);
    if (view_) {
        view_->setNextResponderOverride(std::weak_ptr<UIResponder>(shared_from_this()));
        applySafeAreaInsets();
    }
}

// ---- Appearance ----------------------------------------------------------------------

void UIViewController::beginAppearanceTransition(bool isAppearing, bool animated) {
    auto self = sharedController();
    if (isAppearing) {
        if (appearance_ == Appearance::appeared || appearance_ == Appearance::appearing) {
            return;
        }
        loadViewIfNeeded();
        appearance_ = Appearance::appearing;
        appearanceAnimated_ = animated;
        viewWillAppear(animated);
    } else {
        if (appearance_ == Appearance::disappeared || appearance_ == Appearance::disappearing) {
            return;
        }
        appearance_ = Appearance::disappearing;
        appearanceAnimated_ = animated;
        viewWillDisappear(animated);
    }
    appearanceChildren_.clear();
    for (const auto& child : childViewControllersForAppearance()) {
        appearanceChildren_.push_back(child);
        child->beginAppearanceTransition(isAppearing, animated);
    }
}

void UIViewController::endAppearanceTransition() {
    auto self = sharedController();
    if (appearance_ == Appearance::appearing) {
        appearance_ = Appearance::appeared;
        viewDidAppear(appearanceAnimated_);
    } else if (appearance_ == Appearance::disappearing) {
        appearance_ = Appearance::disappeared;
        viewDidDisappear(appearanceAnimated_);
    } else {
        return;
    }
    const auto children = std::exchange(appearanceChildren_, {});
    for (const auto& weakChild : children) {
        if (auto child = weakChild.lock()) {
            child->endAppearanceTransition();
        }
    }
}

std::vector<std::shared_ptr<UIViewController>> UIViewController::childViewControllersForAppearance() const {
    std::vector<std::shared_ptr<UIViewController>> result;
    if (!view_) {
        return result;
    }
    for (const auto& child : children_) {
        if (child->view_ && child->view_->isDescendantOfView(view_.get())) {
            result.push_back(child);
        }
    }
    return result;
}

// ---- Title and bar items -------------------------------------------------------------

void UIViewController::setTitle(const std::string& title) {
    if (title_ == title) {
        return;
    }
    title_ = title;
    navigationItem()->setTitle(title);
    if (tabBarItem_) {
        tabBarItem_->setTitle(title);
    }
}

const std::shared_ptr<UINavigationItem>& UIViewController::navigationItem() {
    if (!navigationItem_) {
        navigationItem_ = std::make_shared<UINavigationItem>();
        navigationItem_->setTitle(title_);
    }
    return navigationItem_;
}

const std::shared_ptr<UITabBarItem>& UIViewController::tabBarItem() {
    if (!tabBarItem_) {
        tabBarItem_ = std::make_shared<UITabBarItem>();
        tabBarItem_->setTitle(title_);
    }
    return tabBarItem_;
}

void UIViewController::setTabBarItem(std::shared_ptr<UITabBarItem> item) {
    if (tabBarItem_ == item) {
        return;
    }
    tabBarItem_ = std::move(item);
    if (auto tabs = tabBarController()) {
        tabs->childTabBarItemChanged();
    }
}

// ---- Containment ---------------------------------------------------------------------

void UIViewController::addChildViewController(const std::shared_ptr<UIViewController>& child) {
    if (!child || child.get() == this) {
        return;
    }
    auto currentParent = child->parentViewController();
    if (currentParent.get() == this) {
        return;
    }
    if (currentParent) {
        child->willMoveToParentViewController(nullptr);
        child->removeFromParentViewController();
    }
    child->willMoveToParentViewController(this);
    children_.push_back(child);
    child->parent_ = sharedController();
}

void UIViewController::removeFromParentViewController() {
    auto parent = parentViewController();
    if (!parent) {
        return;
    }
    auto self = sharedController();
    auto& siblings = parent->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), self), siblings.end());
    parent_.reset();
    didMoveToParentViewController(nullptr);
}

std::shared_ptr<UINavigationController> UIViewController::navigationController() const {
    for (auto controller = parentViewController(); controller;
         controller = controller->parentViewController()) {
        if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller)) {
            return navigation;
        }
    }
    return nullptr;
}

std::shared_ptr<UITabBarController> UIViewController::tabBarController() const {
    for (auto controller = parentViewController(); controller;
         controller = controller->parentViewController()) {
        if (auto tabs = std::dynamic_pointer_cast<UITabBarController>(controller)) {
            return tabs;
        }
    }
    return nullptr;
}

void UIViewController::showViewController(std::shared_ptr<UIViewController> controller,
                                          const std::shared_ptr<UIResponder>&) {
    if (!controller) {
        return;
    }
    if (auto navigation = navigationController()) {
        navigation->pushViewController(std::move(controller), true);
        return;
    }
    presentViewController(std::move(controller), true);
}

// ---- Bars and layout -----------------------------------------------------------------

void UIViewController::setEdgesForExtendedLayout(UIRectEdge edges) {
    if (edgesForExtendedLayout_ == edges) {
        return;
    }
    edgesForExtendedLayout_ = edges;
    parentNeedsLayout();
}

void UIViewController::setAdditionalSafeAreaInsets(const UIEdgeInsets& insets) {
    if (additionalSafeAreaInsets_ == insets) {
        return;
    }
    additionalSafeAreaInsets_ = insets;
    applySafeAreaInsets();
}

void UIViewController::setContainerSafeAreaInsets(UIViewController& child, const UIEdgeInsets& insets) {
    if (child.containerSafeAreaInsets_ == insets) {
        return;
    }
    child.containerSafeAreaInsets_ = insets;
    child.applySafeAreaInsets();
}

void UIViewController::applySafeAreaInsets() {
    if (!view_) {
        return;
    }
    const UIEdgeInsets& own = additionalSafeAreaInsets_;
    const UIEdgeInsets& container = containerSafeAreaInsets_;
    view_->setAdditionalSafeAreaInsets({own.top + container.top, own.left + container.left,
                                        own.bottom + container.bottom, own.right + container.right});
}

void UIViewController::parentNeedsLayout() {
    if (auto parent = parentViewController(); parent && parent->view_) {
        parent->view_->setNeedsLayout();
    }
}

// ---- Interface files -----------------------------------------------------------------

bool UIViewController::setValue(const UIRuntimeAttributeValue& value, const std::string& key) {
    if (key == "title") {
        if (const auto* text = runtimeAttribute<std::string>(value)) {
            setTitle(*text);
            return true;
        }
        return false;
    }
    if (key == "hidesBottomBarWhenPushed") {
        if (const auto* flag = runtimeAttribute<bool>(value)) {
            setHidesBottomBarWhenPushed(*flag);
            return true;
        }
        return false;
    }
    return UINibLoadable::setValue(value, key);
}

std::shared_ptr<UIResponder> UIViewController::nextResponder() const {
    if (view_) {
        if (auto superview = view_->superview()) {
            return superview;
        }
    }
    return presenting_.lock();
}

void UIViewController::viewWillTransitionToSize(CGSize size) {
    for (const auto& child : std::vector(children_)) {
        child->viewWillTransitionToSize(size);
    }
    if (auto presented = presented_) {
        presented->viewWillTransitionToSize(size);
    }
}

// ---- The window's root ---------------------------------------------------------------

void UIViewController::windowRootDidChange(UIWindow& window,
                                           const std::shared_ptr<UIViewController>& previous) {
    const bool visible = !window.isHidden();
    auto root = window.rootViewController();
    if (root) {
        root->loadViewIfNeeded();
    }
    if (previous) {
        if (previous->presented_) {
            previous->dismissPresented(false, nullptr);
        }
        if (visible) {
            previous->beginAppearanceTransition(false, false);
        }
    }
    if (root) {
        const auto& view = root->view();
        view->setFrame(window.bounds());
        window.insertSubview(view, 0);
        if (visible) {
            root->beginAppearanceTransition(true, false);
        }
    }
    if (previous) {
        if (previous->view_ && previous->view_->superview().get() == &window) {
            previous->view_->removeFromSuperview();
        }
        previous->endAppearanceTransition();
    }
    if (root) {
        root->endAppearanceTransition();
    }
    if (root && !visible) {
        // A window is usually shown right after its root is set: the root appears then.
        std::weak_ptr<UIWindow> weakWindow = std::static_pointer_cast<UIWindow>(window.sharedView());
        RunLoop::main().post([weakWindow] {
            if (auto shown = weakWindow.lock()) {
                UIWindowDidBecomeVisible(*shown);
            }
        });
    }
}

void UIWindowDidBecomeVisible(UIWindow& window) {
    auto root = window.rootViewController();
    if (!root || window.isHidden() || root->isVisible()) {
        return;
    }
    root->beginAppearanceTransition(true, false);
    root->endAppearanceTransition();
}
