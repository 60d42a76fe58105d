#pragma once

#include "platform/UIKit/Controllers/UINavigationBar.h"
#include "platform/UIKit/Controllers/UIViewController.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A stack of controllers with a navigation bar: pushing slides a controller in from the
// right (the one beneath moves a little left), popping slides it out again. The bar
// shows the top controller's navigation item with a back button below the root, and can
// be hidden. Inside a tab bar controller, a page pushed with hidesBottomBarWhenPushed
// (or above such a page) hides the tab bar; it slides away with the page beneath.
//
// Transitions run on the main run loop's clock; a new push or pop while one runs first
// completes the running one, so that every page gets balanced appearance calls.
class UINavigationController : public UIViewController, public UINavigationBarDelegate {
  public:
    static constexpr double kTransitionDuration = 0.35;

    // The root is pushed (through pushViewController) when the controller is first used.
    explicit UINavigationController(std::shared_ptr<UIViewController> rootViewController = nullptr);
    ~UINavigationController() override;

    // Bottom first; the last is on top.
    const std::vector<std::shared_ptr<UIViewController>>& viewControllers();
    std::shared_ptr<UIViewController> topViewController();
    // What the user sees of this stack: what the top controller presents, else the top.
    std::shared_ptr<UIViewController> visibleViewController();

    virtual void pushViewController(std::shared_ptr<UIViewController> controller, bool animated);
    // Answers the controller taken off, none when only the root is left.
    virtual std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
    std::vector<std::shared_ptr<UIViewController>> popToRootViewControllerAnimated(bool animated);
    // Pops the top controller; `completion` runs when the pop has finished (at once when
    // there is nothing to pop).
    void qmui_popViewControllerAnimated(bool animated, std::function<void()> completion);

    const std::shared_ptr<UINavigationBar>& navigationBar();
    bool isNavigationBarHidden() const { return navigationBarHidden_; }
    void setNavigationBarHidden(bool hidden, bool animated);

    // Whether the tab bar around this stack is hidden while `page` shows: when it or a
    // controller beneath it was pushed with hidesBottomBarWhenPushed.
    bool hidesBottomBarFor(const UIViewController& page);

    void showViewController(std::shared_ptr<UIViewController> controller,
                            const std::shared_ptr<UIResponder>& sender) override;
    void backButtonTapped(UINavigationBar& bar, UINavigationItem& item) override;

  protected:
    void loadView() override;
    void layoutChildViews() override;
    std::vector<std::shared_ptr<UIViewController>> childViewControllersForAppearance() const override;
    // Whether the bar is hidden while `controller` is on top. The default keeps the
    // bar as it is; subclasses may ask the controller.
    virtual bool prefersNavigationBarHiddenFor(UIViewController& controller);

  private:
    struct Transition {
        std::uint64_t generation = 0;
        std::function<void()> finish;
        std::shared_ptr<UIViewController> from;
        bool fromBarHidden = false;
        bool fromTabBarHidden = false;
    };

    void adoptPendingRoot();
    void updateBarItems(bool animated);
    void finishRunningTransition();
    // Replaces `from` on screen by `to`; `popped` are the controllers leaving the stack.
    void transition(const std::shared_ptr<UIViewController>& from,
                    const std::shared_ptr<UIViewController>& to, bool isPush, bool animated,
                    bool tabBarHiddenBefore, std::vector<std::shared_ptr<UIViewController>> popped,
                    std::function<void()> completion);
    std::vector<std::shared_ptr<UIViewController>> popTo(std::size_t index, bool animated,
                                                         std::function<void()> completion);
    void layoutPage(UIViewController& page, bool barHidden, bool tabBarHidden);
    CGRect barFrame() const;

    std::shared_ptr<UIViewController> pendingRoot_;
    // The stack; a popped controller stays a child until its transition is over.
    std::vector<std::shared_ptr<UIViewController>> stack_;
    std::shared_ptr<UINavigationBar> navigationBar_;
    bool navigationBarHidden_ = false;
    std::optional<Transition> transition_;
    std::uint64_t transitionGeneration_ = 0;
};
