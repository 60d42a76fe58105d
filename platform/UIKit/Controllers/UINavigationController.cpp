#include "platform/UIKit/Controllers/UINavigationController.h"

#include "platform/Foundation/Log.h"
#include "platform/UIKit/Controllers/UINavigationItem.h"
#include "platform/UIKit/Controllers/UITabBar.h"
#include "platform/UIKit/Controllers/UITabBarController.h"
#include "platform/UIKit/Controllers/UIViewControllerView.h"
#include "platform/UIKit/UIScreen.h"

namespace {

// How far the page beneath moves while another slides over it.
constexpr double kParallax = 0.3;

CGAffineTransform shifted(CGFloat dx) {
    return CGAffineTransformMakeTranslation(dx, 0);
}

} // namespace

UINavigationController::UINavigationController(std::shared_ptr<UIViewController> rootViewController)
    : pendingRoot_(std::move(rootViewController)) {}

UINavigationController::~UINavigationController() {
    if (navigationBar_) {
        navigationBar_->delegate.reset();
    }
}

void UINavigationController::adoptPendingRoot() {
    if (auto root = std::move(pendingRoot_)) {
        pendingRoot_.reset();
        pushViewController(std::move(root), false);
    }
}

const std::vector<std::shared_ptr<UIViewController>>& UINavigationController::viewControllers() {
    adoptPendingRoot();
    return stack_;
}

std::shared_ptr<UIViewController> UINavigationController::topViewController() {
    const auto& stack = viewControllers();
    return stack.empty() ? nullptr : stack.back();
}

std::shared_ptr<UIViewController> UINavigationController::visibleViewController() {
    auto top = topViewController();
    if (!top) {
        return nullptr;
    }
    if (auto presented = top->presentedViewController()) {
        return presented;
    }
    return top;
}

const std::shared_ptr<UINavigationBar>& UINavigationController::navigationBar() {
    if (!navigationBar_) {
        navigationBar_ = std::make_shared<UINavigationBar>();
        navigationBar_->delegate = std::static_pointer_cast<UINavigationController>(sharedController());
        navigationBar_->setHidden(navigationBarHidden_);
    }
    return navigationBar_;
}

void UINavigationController::loadView() {
    setView(std::make_shared<UIViewControllerView>(UIScreen::mainScreen().bounds(),
                                                   std::weak_ptr<UIViewController>(sharedController())));
    view()->addSubview(navigationBar());
    adoptPendingRoot();
    if (auto top = topViewController()) {
        if (top->view()->superview() != view()) {
            view()->insertSubviewBelow(top->view(), navigationBar_);
        }
        navigationBarHidden_ = prefersNavigationBarHiddenFor(*top);
        navigationBar_->setHidden(navigationBarHidden_);
    }
    updateBarItems(false);
}

std::vector<std::shared_ptr<UIViewController>>
UINavigationController::childViewControllersForAppearance() const {
    if (stack_.empty() || !isViewLoaded()) {
        return {};
    }
    return {stack_.back()};
}

bool UINavigationController::prefersNavigationBarHiddenFor(UIViewController&) {
    return navigationBarHidden_;
}

bool UINavigationController::hidesBottomBarFor(const UIViewController& page) {
    for (const auto& controller : viewControllers()) {
        if (controller->hidesBottomBarWhenPushed()) {
            return true;
        }
        if (controller.get() == &page) {
            return false;
        }
    }
    return false;
}

// ---- Bar -----------------------------------------------------------------------------

void UINavigationController::setNavigationBarHidden(bool hidden, bool animated) {
    if (navigationBarHidden_ == hidden) {
        return;
    }
    navigationBarHidden_ = hidden;
    if (!isViewLoaded()) {
        navigationBar()->setHidden(hidden);
        return;
    }
    const auto& bar = navigationBar();
    const CGFloat height = barFrame().maxY();
    if (!animated) {
        bar->setHidden(hidden);
        view()->setNeedsLayout();
        return;
    }
    bar->setHidden(false);
    UIView::performWithoutAnimation([&] {
        bar->setTransform(hidden ? CGAffineTransformIdentity : CGAffineTransformMakeTranslation(0, -height));
    });
    auto generation = ++transitionGeneration_;
    std::weak_ptr<UINavigationController> weakSelf =
        std::static_pointer_cast<UINavigationController>(sharedController());
    UIView::animateWithDuration(
        kTransitionDuration,
        [&] {
            bar->setTransform(hidden ? CGAffineTransformMakeTranslation(0, -height)
                                     : CGAffineTransformIdentity);
        },
        [weakSelf, generation](bool) {
            auto self = weakSelf.lock();
            if (!self || self->transitionGeneration_ != generation) {
                return;
            }
            self->navigationBar_->setTransform(CGAffineTransformIdentity);
            self->navigationBar_->setHidden(self->navigationBarHidden_);
        });
    view()->setNeedsLayout();
}

void UINavigationController::updateBarItems(bool animated) {
    std::vector<std::shared_ptr<UINavigationItem>> items;
    for (const auto& controller : stack_) {
        items.push_back(controller->navigationItem());
    }
    navigationBar()->setItems(std::move(items), animated);
}

void UINavigationController::backButtonTapped(UINavigationBar&, UINavigationItem&) {
    popViewControllerAnimated(true);
}

// ---- Layout --------------------------------------------------------------------------

CGRect UINavigationController::barFrame() const {
    const CGRect bounds = viewIfLoaded() ? viewIfLoaded()->bounds() : CGRectZero;
    const CGFloat statusBar = viewIfLoaded() ? viewIfLoaded()->safeAreaInsets().top : 0;
    return {{0, 0}, {bounds.width(), statusBar + UINavigationBar::kContentHeight}};
}

void UINavigationController::layoutPage(UIViewController& page, bool barHidden, bool tabBarHidden) {
    const CGRect bounds = view()->bounds();
    const bool underBar =
        navigationBar_->isTranslucent() && (page.edgesForExtendedLayout() & UIRectEdgeTop) != 0;
    const CGFloat top = !barHidden && !underBar ? barFrame().maxY() : 0;
    page.view()->setFrame({{0, top}, {bounds.width(), bounds.height() - top}});

    UIEdgeInsets insets;
    if (!barHidden && underBar) {
        insets.top = UINavigationBar::kContentHeight;
    }
    if (auto tabs = tabBarController(); tabs && !tabBarHidden) {
        insets.bottom = tabs->tabBarContentHeight();
    }
    setContainerSafeAreaInsets(page, insets);
}

void UINavigationController::layoutChildViews() {
    navigationBar()->setFrame(barFrame());
    if (auto top = topViewController()) {
        layoutPage(*top, navigationBarHidden_, hidesBottomBarFor(*top));
    }
    if (transition_ && transition_->from && transition_->from->isViewLoaded() &&
        transition_->from->view()->superview() == view()) {
        layoutPage(*transition_->from, transition_->fromBarHidden, transition_->fromTabBarHidden);
    }
}

// ---- Pushing and popping -------------------------------------------------------------

void UINavigationController::showViewController(std::shared_ptr<UIViewController> controller,
                                                const std::shared_ptr<UIResponder>&) {
    pushViewController(std::move(controller), true);
}

void UINavigationController::pushViewController(std::shared_ptr<UIViewController> controller, bool animated) {
    adoptPendingRoot();
    if (!controller) {
        return;
    }
    if (controller.get() == this || controller->parentViewController() ||
        controller->presentingViewController()) {
        consoleLog("Pushing a view controller that is already in a stack or on screen is not supported");
        return;
    }
    finishRunningTransition();
    auto from = topViewController();
    const bool tabBarHiddenBefore = from && tabBarController() && hidesBottomBarFor(*from);
    addChildViewController(controller);
    stack_.push_back(controller);
    if (!isViewLoaded()) {
        controller->didMoveToParentViewController(this);
        return;
    }
    updateBarItems(animated && isVisible());
    transition(from, controller, true, animated, tabBarHiddenBefore, {}, nullptr);
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated) {
    const auto& stack = viewControllers();
    if (stack.size() < 2) {
        return nullptr;
    }
    auto popped = popTo(stack.size() - 2, animated, nullptr);
    return popped.empty() ? nullptr : popped.back();
}

std::vector<std::shared_ptr<UIViewController>>
UINavigationController::popToRootViewControllerAnimated(bool animated) {
    return popTo(0, animated, nullptr);
}

void UINavigationController::qmui_popViewControllerAnimated(bool animated, std::function<void()> completion) {
    const auto& stack = viewControllers();
    if (stack.size() < 2) {
        if (completion) {
            completion();
        }
        return;
    }
    popTo(stack.size() - 2, animated, std::move(completion));
}

std::vector<std::shared_ptr<UIViewController>>
UINavigationController::popTo(std::size_t index, bool animated, std::function<void()> completion) {
    adoptPendingRoot();
    finishRunningTransition();
    const auto stack = stack_;
    if (index + 1 >= stack.size()) {
        if (completion) {
            completion();
        }
        return {};
    }
    auto from = stack.back();
    auto to = stack[index];
    const bool tabBarHiddenBefore = tabBarController() && hidesBottomBarFor(*from);
    std::vector<std::shared_ptr<UIViewController>> popped(
        stack.begin() + static_cast<std::ptrdiff_t>(index) + 1, stack.end());
    for (auto it = popped.rbegin(); it != popped.rend(); ++it) {
        (*it)->willMoveToParentViewController(nullptr);
    }
    // Off the stack now; they stay children until their views have left.
    stack_.resize(index + 1);
    if (!isViewLoaded()) {
        for (const auto& controller : popped) {
            controller->removeFromParentViewController();
        }
        if (completion) {
            completion();
        }
        return popped;
    }
    updateBarItems(animated && isVisible());
    transition(from, to, false, animated, tabBarHiddenBefore, popped, std::move(completion));
    return popped;
}

void UINavigationController::finishRunningTransition() {
    if (!transition_) {
        return;
    }
    auto finish = std::move(transition_->finish);
    transition_.reset();
    ++transitionGeneration_;
    finish();
}

void UINavigationController::transition(const std::shared_ptr<UIViewController>& from,
                                        const std::shared_ptr<UIViewController>& to, bool isPush,
                                        bool animated, bool tabBarHiddenBefore,
                                        std::vector<std::shared_ptr<UIViewController>> popped,
                                        std::function<void()> completion) {
    auto self = std::static_pointer_cast<UINavigationController>(sharedController());
    const bool onScreen = isVisible();
    animated = animated && onScreen && from != nullptr;

    const bool fromBarHidden = navigationBarHidden_;
    const bool toBarHidden = prefersNavigationBarHiddenFor(*to);
    navigationBarHidden_ = toBarHidden;
    auto tabs = tabBarController();
    const bool tabBarHiddenAfter = tabs && hidesBottomBarFor(*to);
    std::shared_ptr<UITabBar> tabBar = tabs ? tabs->tabBar() : nullptr;

    to->loadViewIfNeeded();
    const auto& toView = to->view();
    std::shared_ptr<UIView> fromView = from && from->isViewLoaded() ? from->view() : nullptr;
    if (fromView && fromView->superview() == view()) {
        if (isPush) {
            view()->insertSubviewAbove(toView, fromView);
        } else {
            view()->insertSubviewBelow(toView, fromView);
        }
    } else {
        view()->insertSubviewBelow(toView, navigationBar_);
    }
    transition_ = Transition{++transitionGeneration_, nullptr, from, fromBarHidden, tabBarHiddenBefore};
    const std::uint64_t generation = transition_->generation;

    layoutPage(*to, toBarHidden, tabBarHiddenAfter);
    if (from && fromView) {
        layoutPage(*from, fromBarHidden, tabBarHiddenBefore);
    }
    if (onScreen) {
        if (from) {
            from->beginAppearanceTransition(false, animated);
        }
        to->beginAppearanceTransition(true, animated);
    }

    std::weak_ptr<UINavigationController> weakSelf = self;
    transition_->finish = [weakSelf, from, to, isPush, onScreen, popped, tabs,
                           completion = std::move(completion)] {
        auto self = weakSelf.lock();
        if (!self) {
            return;
        }
        const auto& bar = self->navigationBar_;
        to->view()->setTransform(CGAffineTransformIdentity);
        bar->setTransform(CGAffineTransformIdentity);
        bar->setHidden(self->navigationBarHidden_);
        if (from && from->isViewLoaded()) {
            from->view()->setTransform(CGAffineTransformIdentity);
            if (from != self->topViewController()) {
                from->view()->removeFromSuperview();
            }
        }
        for (const auto& controller : popped) {
            if (controller != from && controller->isViewLoaded() &&
                controller->view()->superview() == self->view()) {
                controller->view()->removeFromSuperview();
            }
        }
        if (tabs) {
            tabs->tabBar()->setTransform(CGAffineTransformIdentity);
            tabs->updateTabBarVisibility();
        }
        if (onScreen) {
            if (from) {
                from->endAppearanceTransition();
            }
            to->endAppearanceTransition();
        }
        if (isPush) {
            to->didMoveToParentViewController(self.get());
        }
        for (const auto& controller : popped) {
            controller->removeFromParentViewController();
        }
        self->view()->setUserInteractionEnabled(true);
        self->view()->setNeedsLayout();
        if (completion) {
            completion();
        }
    };

    if (!animated) {
        finishRunningTransition();
        return;
    }

    // Taps wait until the pages are in place (a second tap on a row pushes nothing more).
    view()->setUserInteractionEnabled(false);
    // Both pages slide; the bar and the tab bar go with the page they belong to when
    // the two pages disagree about them.
    const CGFloat width = view()->bounds().width();
    const CGAffineTransform toStart = shifted(isPush ? width : -kParallax * width);
    const CGAffineTransform fromEnd = shifted(isPush ? -kParallax * width : width);
    const auto& bar = navigationBar_;
    const bool barMoves = fromBarHidden != toBarHidden;
    const bool tabBarMoves = tabBar && tabBarHiddenBefore != tabBarHiddenAfter;
    UIView::performWithoutAnimation([&] {
        toView->setTransform(toStart);
        if (barMoves) {
            bar->setHidden(false);
            bar->setTransform(fromBarHidden ? toStart : CGAffineTransformIdentity);
        }
        if (tabBarMoves) {
            tabBar->setHidden(false);
            tabBar->setTransform(tabBarHiddenBefore ? toStart : CGAffineTransformIdentity);
        }
    });
    UIView::animateWithDuration(
        kTransitionDuration,
        [&] {
            toView->setTransform(CGAffineTransformIdentity);
            if (fromView) {
                fromView->setTransform(fromEnd);
            }
            if (barMoves) {
                bar->setTransform(fromBarHidden ? CGAffineTransformIdentity : fromEnd);
            }
            if (tabBarMoves) {
                tabBar->setTransform(tabBarHiddenBefore ? CGAffineTransformIdentity : fromEnd);
            }
        },
        [weakSelf, generation](bool) {
            auto self = weakSelf.lock();
            if (self && self->transition_ && self->transition_->generation == generation) {
                self->finishRunningTransition();
            }
        });
}
