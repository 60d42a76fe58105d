#include "platform/UIKit/Controllers/UITabBarController.h"

#include "platform/UIKit/Controllers/UINavigationController.h"
#include "platform/UIKit/Controllers/UITabBarItem.h"
#include "platform/UIKit/Controllers/UIViewControllerView.h"
#include "platform/UIKit/UIScreen.h"

#include <algorithm>

UITabBarController::UITabBarController() = default;

UITabBarController::~UITabBarController() = default;

const std::shared_ptr<UITabBar>& UITabBarController::tabBar() {
    if (!tabBar_) {
        setTabBar(std::make_shared<UITabBar>());
    }
    return tabBar_;
}

void UITabBarController::setTabBar(std::shared_ptr<UITabBar> tabBar) {
    if (!tabBar || tabBar_ == tabBar) {
        return;
    }
    if (tabBar_) {
        tabBar_->delegate.reset();
        tabBar_->removeFromSuperview();
    }
    tabBar_ = std::move(tabBar);
    tabBar_->delegate = std::static_pointer_cast<UITabBarController>(sharedController());
    updateItems(false);
    if (isViewLoaded()) {
        view()->addSubview(tabBar_);
        view()->setNeedsLayout();
    }
}

void UITabBarController::loadView() {
    setView(std::make_shared<UIViewControllerView>(UIScreen::mainScreen().bounds(),
                                                   std::weak_ptr<UIViewController>(sharedController())));
    if (auto selected = selectedViewController()) {
        view()->addSubview(selected->view());
    }
    view()->addSubview(tabBar());
    updateTabBarVisibility();
}

// ---- Children ------------------------------------------------------------------------

void UITabBarController::setViewControllers(std::vector<std::shared_ptr<UIViewController>> controllers,
                                            bool animated) {
    auto previous = selectedViewController();
    const bool onScreen = isVisible();
    for (const auto& child : std::vector(childViewControllers())) {
        if (std::find(controllers.begin(), controllers.end(), child) != controllers.end()) {
            continue;
        }
        child->willMoveToParentViewController(nullptr);
        if (child == previous && onScreen) {
            child->beginAppearanceTransition(false, false);
        }
        if (child->isViewLoaded() && isViewLoaded() && child->view()->superview() == view()) {
            child->view()->removeFromSuperview();
        }
        if (child == previous && onScreen) {
            child->endAppearanceTransition();
        }
        child->removeFromParentViewController();
    }
    for (const auto& controller : controllers) {
        if (controller && controller->parentViewController().get() != this) {
            addChildViewController(controller);
            controller->didMoveToParentViewController(this);
        }
    }
    const auto& children = childViewControllers();
    if (children.empty()) {
        selectedIndex_ = NSNotFound;
    } else if (selectedIndex_ == NSNotFound || selectedIndex_ >= children.size()) {
        selectedIndex_ = 0;
    }
    updateItems(animated);
    if (selectedViewController() != previous) {
        const bool previousStays = std::find(children.begin(), children.end(), previous) != children.end();
        showSelectedChild(previousStays ? previous : nullptr);
    }
}

void UITabBarController::updateItems(bool animated) {
    if (!tabBar_) {
        return;
    }
    std::vector<std::shared_ptr<UITabBarItem>> items;
    for (const auto& child : childViewControllers()) {
        items.push_back(child->tabBarItem());
    }
    tabBar_->setItems(std::move(items), animated);
    if (auto selected = selectedViewController()) {
        tabBar_->setSelectedItem(selected->tabBarItem());
    }
}

void UITabBarController::childTabBarItemChanged() {
    updateItems(false);
}

std::vector<std::shared_ptr<UIViewController>> UITabBarController::childViewControllersForAppearance() const {
    auto selected = selectedViewController();
    if (!selected || !isViewLoaded()) {
        return {};
    }
    return {selected};
}

// ---- Selection -----------------------------------------------------------------------

std::size_t UITabBarController::selectedIndex() const {
    return childViewControllers().empty() ? NSNotFound : selectedIndex_;
}

std::shared_ptr<UIViewController> UITabBarController::selectedViewController() const {
    const auto& children = childViewControllers();
    return selectedIndex_ < children.size() ? children[selectedIndex_] : nullptr;
}

void UITabBarController::setSelectedIndex(std::size_t index) {
    const auto& children = childViewControllers();
    if (index >= children.size() || index == selectedIndex_) {
        return;
    }
    auto previous = selectedViewController();
    selectedIndex_ = index;
    if (tabBar_) {
        tabBar_->setSelectedItem(children[index]->tabBarItem());
    }
    showSelectedChild(previous);
}

void UITabBarController::setSelectedViewController(const std::shared_ptr<UIViewController>& controller) {
    const auto& children = childViewControllers();
    auto it = std::find(children.begin(), children.end(), controller);
    if (it != children.end()) {
        setSelectedIndex(static_cast<std::size_t>(it - children.begin()));
    }
}

void UITabBarController::showSelectedChild(const std::shared_ptr<UIViewController>& previous) {
    if (!isViewLoaded()) {
        return;
    }
    auto selected = selectedViewController();
    const bool onScreen = isVisible();
    // UIKit's order for a tab switch: the new tab will appear, the old will disappear,
    // the old did disappear, the new did appear.
    if (onScreen && selected) {
        selected->beginAppearanceTransition(true, false);
    }
    if (onScreen && previous) {
        previous->beginAppearanceTransition(false, false);
    }
    if (previous && previous->isViewLoaded() && previous->view()->superview() == view()) {
        previous->view()->removeFromSuperview();
    }
    if (selected) {
        view()->insertSubviewBelow(selected->view(), tabBar());
    }
    updateTabBarVisibility();
    view()->setNeedsLayout();
    view()->layoutIfNeeded();
    if (onScreen && previous) {
        previous->endAppearanceTransition();
    }
    if (onScreen && selected) {
        selected->endAppearanceTransition();
    }
}

void UITabBarController::didSelectItem(UITabBar& bar, const std::shared_ptr<UITabBarItem>& item) {
    const auto& items = bar.items();
    auto it = std::find(items.begin(), items.end(), item);
    const auto& children = childViewControllers();
    if (it == items.end() || static_cast<std::size_t>(it - items.begin()) >= children.size()) {
        return;
    }
    auto controller = children[static_cast<std::size_t>(it - items.begin())];
    auto listener = delegate.lock();
    if (listener && !listener->shouldSelectViewController(*this, *controller)) {
        if (auto selected = selectedViewController()) {
            bar.setSelectedItem(selected->tabBarItem());
        }
        return;
    }
    if (controller == selectedViewController()) {
        // Tapping the tab that shows already takes its stack back to the root.
        if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller)) {
            navigation->popToRootViewControllerAnimated(true);
        }
    }
    setSelectedViewController(controller);
    if (listener) {
        listener->didSelectViewController(*this, *controller);
    }
}

// ---- The bar and layout --------------------------------------------------------------

bool UITabBarController::tabBarHiddenForSelection() const {
    auto navigation = std::dynamic_pointer_cast<UINavigationController>(selectedViewController());
    if (!navigation) {
        return false;
    }
    auto top = navigation->topViewController();
    return top && navigation->hidesBottomBarFor(*top);
}

void UITabBarController::updateTabBarVisibility() {
    tabBar()->setHidden(tabBarHiddenForSelection());
}

void UITabBarController::layoutChildViews() {
    const CGRect bounds = view()->bounds();
    const auto& bar = tabBar();
    const CGFloat barHeight = UITabBar::kContentHeight + view()->safeAreaInsets().bottom;
    bar->setFrame({{0, bounds.height() - barHeight}, {bounds.width(), barHeight}});
    auto selected = selectedViewController();
    if (!selected) {
        return;
    }
    selected->view()->setFrame(bounds);
    // A navigation controller gives each of its pages the bar's inset itself.
    const bool isNavigation = std::dynamic_pointer_cast<UINavigationController>(selected) != nullptr;
    UIEdgeInsets insets;
    if (!isNavigation && !bar->isHidden()) {
        insets.bottom = UITabBar::kContentHeight;
    }
    setContainerSafeAreaInsets(*selected, insets);
}
