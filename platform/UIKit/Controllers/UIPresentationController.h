#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/Controllers/UIViewControllerTypes.h"

#include <functional>
#include <memory>
#include <vector>

class UIView;
class UIViewController;
class UIWindow;

// How one presented controller sits on the screen while it is presented: a container
// view over the whole window holds the presented view and any chrome (a dimming view);
// subclasses choose the presented view's frame, the chrome and the look of the way in and
// out. The presenting controller's views stay beneath, or leave the screen once a
// full-screen presentation is over.
class UIPresentationController : public std::enable_shared_from_this<UIPresentationController> {
  public:
    UIPresentationController(const std::shared_ptr<UIViewController>& presented,
                             const std::shared_ptr<UIViewController>& presenting);
    virtual ~UIPresentationController();

    // The presentation for a style: full screen, over full screen, or a page sheet (for
    // `automatic` and the sheet styles).
    static std::shared_ptr<UIPresentationController>
    makeForStyle(UIModalPresentationStyle style, const std::shared_ptr<UIViewController>& presented,
                 const std::shared_ptr<UIViewController>& presenting);

    std::shared_ptr<UIViewController> presentedViewController() const { return presented_.lock(); }
    std::shared_ptr<UIViewController> presentingViewController() const { return presenting_.lock(); }
    const std::shared_ptr<UIView>& containerView() const { return containerView_; }
    std::shared_ptr<UIView> presentedView() const;
    bool isTransitioning() const { return transitioning_; }

    // Where the presented view rests, in the container's coordinates.
    virtual CGRect frameOfPresentedViewInContainerView() const;
    // Whether the presenting controller disappears (its views leave the screen).
    virtual bool shouldRemovePresentersView() const { return false; }
    // Adds chrome to the container before the presented view goes in.
    virtual void presentationTransitionWillBegin() {}
    // Puts the presented view and the chrome off screen (true) or in place (false).
    // Called inside animation blocks, so that the changes animate.
    virtual void applyTransitionState(bool offScreen);
    virtual double transitionDuration() const { return 0.4; }

  private:
    friend class UIViewController;
    // Shows the presented view over `presenterContent` in `window`, with the appearance
    // calls; `completion` runs when the transition is over.
    void runPresentation(UIWindow& window, const std::shared_ptr<UIView>& presenterContent, bool animated,
                         std::function<void()> completion);
    // Takes this presentation and those above it (`above`, lowest first) off the screen.
    void runDismissal(const std::vector<std::shared_ptr<UIPresentationController>>& above, bool animated,
                      std::function<void()> completion);
    void finishDismissal(const std::vector<std::shared_ptr<UIPresentationController>>& chain,
                         bool revealsPresenter, const std::function<void()>& completion);

    std::weak_ptr<UIViewController> presented_;
    std::weak_ptr<UIViewController> presenting_;
    std::shared_ptr<UIView> containerView_;
    // The view beneath (the window's root view or the presenter's own container).
    std::weak_ptr<UIView> presenterContent_;
    bool transitioning_ = false;
};
