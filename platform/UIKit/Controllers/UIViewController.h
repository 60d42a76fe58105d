#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/UIKit/Controllers/UIRuntimeAttributes.h"
#include "platform/UIKit/Controllers/UIViewControllerTypes.h"
#include "platform/UIKit/UIResponder.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UINavigationController;
class UINavigationItem;
class UIPresentationController;
class UITabBarController;
class UITabBarItem;
class UIView;
class UIWindow;

// Manages one screen's view: loads it on first use, tells it when it appears and
// disappears, holds child controllers, and presents other controllers over itself.
// Controllers are made with std::make_shared; the view is loaded lazily, so subclasses
// build their interface in viewDidLoad (never in a constructor).
//
// Appearance calls follow UIKit's order: viewWillAppear/viewWillDisappear when a
// transition begins, viewDidAppear/viewDidDisappear when it ends, each once per
// transition, forwarded to the children whose views are on screen.
class UIViewController : public UIResponder, public UINibLoadable {
  public:
    UIViewController();
    ~UIViewController() override;

    std::shared_ptr<UIViewController> sharedController() {
        return std::static_pointer_cast<UIViewController>(shared_from_this());
    }

    // ---- The view ----
    // Loads the view (loadView, then viewDidLoad) on first use.
    const std::shared_ptr<UIView>& view();
    std::shared_ptr<UIView> viewIfLoaded() const { return view_; }
    bool isViewLoaded() const { return view_ != nullptr; }
    void loadViewIfNeeded() { view(); }
    // Creates the view; the default makes a plain view of the screen's size. An override
    // must call setView.
    virtual void loadView();
    void setView(std::shared_ptr<UIView> view);

    virtual void viewDidLoad() {}
    virtual void viewWillAppear(bool animated) {}
    virtual void viewDidAppear(bool animated) {}
    virtual void viewWillDisappear(bool animated) {}
    virtual void viewDidDisappear(bool animated) {}
    // Around the layout of the view's subviews (for views made by the default loadView).
    virtual void viewWillLayoutSubviews() {}
    virtual void viewDidLayoutSubviews() {}

    // Appearance transitions, for containers: begin (will...) and end (did...). Calls
    // that would repeat the current state are ignored, so calls stay balanced.
    void beginAppearanceTransition(bool isAppearing, bool animated);
    void endAppearanceTransition();
    // Whether the view is on screen (appeared, or appearing).
    bool isVisible() const {
        return appearance_ == Appearance::appeared || appearance_ == Appearance::appearing;
    }

    // ---- Title and bar items ----
    const std::string& title() const { return title_; }
    // Also the title of the navigation item and of the tab bar item.
    void setTitle(const std::string& title);
    const std::shared_ptr<UINavigationItem>& navigationItem();
    // Made on first use, with the controller's title.
    const std::shared_ptr<UITabBarItem>& tabBarItem();
    void setTabBarItem(std::shared_ptr<UITabBarItem> item);

    // ---- Containment ----
    std::shared_ptr<UIViewController> parentViewController() const { return parent_.lock(); }
    const std::vector<std::shared_ptr<UIViewController>>& childViewControllers() const { return children_; }
    // Adds a child (calling willMoveToParentViewController); the caller adds its view and
    // then calls the child's didMoveToParentViewController.
    void addChildViewController(const std::shared_ptr<UIViewController>& child);
    // Removes this controller from its parent (calling didMoveToParentViewController(nullptr)).
    void removeFromParentViewController();
    virtual void willMoveToParentViewController(UIViewController* parent) {}
    virtual void didMoveToParentViewController(UIViewController* parent) {}
    // The nearest navigation / tab bar controller among this controller and its ancestors.
    std::shared_ptr<UINavigationController> navigationController() const;
    std::shared_ptr<UITabBarController> tabBarController() const;

    // ---- Presentation ----
    // Presents `controller` over this controller's context (its outermost ancestor). A
    // context that already presents something, or whose view is not in a window,
    // presents nothing: the attempt is logged and `completion` does not run.
    void presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
                               std::function<void()> completion = nullptr);
    // Dismisses what this controller (or its context) presents, with everything that
    // presents in turn; when it presents nothing, dismisses this controller's own
    // presentation. `completion` runs once the dismissal is over.
    void dismissViewControllerAnimated(bool animated, std::function<void()> completion = nullptr);
    // The controller presented by this controller or one of its ancestors.
    std::shared_ptr<UIViewController> presentedViewController() const;
    // The controller that presented this controller (or one of its ancestors).
    std::shared_ptr<UIViewController> presentingViewController() const;
    // How this controller is shown while it is presented (none otherwise).
    const std::shared_ptr<UIPresentationController>& presentationController() const { return presentation_; }
    UIModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
    void setModalPresentationStyle(UIModalPresentationStyle style) { modalPresentationStyle_ = style; }
    // Pushes onto the nearest navigation controller, or presents when there is none.
    virtual void showViewController(std::shared_ptr<UIViewController> controller,
                                    const std::shared_ptr<UIResponder>& sender);

    // ---- Bars and layout ----
    bool hidesBottomBarWhenPushed() const { return hidesBottomBarWhenPushed_; }
    void setHidesBottomBarWhenPushed(bool hides) { hidesBottomBarWhenPushed_ = hides; }
    // The edges of the view that extend under translucent bars.
    UIRectEdge edgesForExtendedLayout() const { return edgesForExtendedLayout_; }
    void setEdgesForExtendedLayout(UIRectEdge edges);
    UIEdgeInsets additionalSafeAreaInsets() const { return additionalSafeAreaInsets_; }
    void setAdditionalSafeAreaInsets(const UIEdgeInsets& insets);

    // ---- Orientation and status bar ----
    // Before the view's window turns or changes size with the screen; `size` is the
    // window's coming size. The default tells the children and the presented controller.
    virtual void viewWillTransitionToSize(CGSize size);
    // What the window of a root controller may turn to (UIApplication asks the top
    // controller of a window).
    virtual bool shouldAutorotate() const { return true; }
    virtual UIInterfaceOrientationMask supportedInterfaceOrientations() const {
        return UIInterfaceOrientationMaskAllButUpsideDown;
    }
    virtual UIInterfaceOrientation preferredInterfaceOrientationForPresentation() const {
        return UIInterfaceOrientation::portrait;
    }
    virtual UIStatusBarStyle preferredStatusBarStyle() const { return UIStatusBarStyle::defaultStyle; }
    virtual bool prefersStatusBarHidden() const { return false; }
    virtual std::shared_ptr<UIViewController> childViewControllerForStatusBarStyle() const { return nullptr; }
    virtual std::shared_ptr<UIViewController> childViewControllerForStatusBarHidden() const {
        return nullptr;
    }

    // ---- Interface files ----
    const std::string& storyboardIdentifier() const { return storyboardIdentifier_; }
    void setStoryboardIdentifier(std::string identifier) { storyboardIdentifier_ = std::move(identifier); }
    // Keys: "title" (text), "hidesBottomBarWhenPushed" (switch).
    bool setValue(const UIRuntimeAttributeValue& value, const std::string& key) override;

    // The view's superview, else the presenting controller.
    std::shared_ptr<UIResponder> nextResponder() const override;

  protected:
    // The presentation to use when this controller is presented; the default follows
    // modalPresentationStyle.
    virtual std::shared_ptr<UIPresentationController>
    presentationControllerForPresentation(const std::shared_ptr<UIViewController>& presenting);
    // The children that appear and disappear with this controller; by default those
    // whose views are inside this controller's view.
    virtual std::vector<std::shared_ptr<UIViewController>> childViewControllersForAppearance() const;
    // Positions the views of the children this container manages; called in every
    // layout of the view, after viewWillLayoutSubviews.
    virtual void layoutChildViews() {}
    // For containers: the insets their bars add to a child's safe area (on top of the
    // child's own additionalSafeAreaInsets).
    static void setContainerSafeAreaInsets(UIViewController& child, const UIEdgeInsets& insets);

  private:
    friend class UIPresentationController;
    friend class UIViewControllerView;
    friend void UIWindowDidBecomeVisible(UIWindow& window);
    static void windowRootDidChange(UIWindow& window, const std::shared_ptr<UIViewController>& previous);
    enum class Appearance { disappeared, appearing, appeared, disappearing };

    // The controller that presents on behalf of this one: its outermost ancestor.
    std::shared_ptr<UIViewController> presentationContext();
    // Takes what this controller presents off the screen.
    void dismissPresented(bool animated, std::function<void()> completion);
    // Tells the parent container to lay out again.
    void parentNeedsLayout();
    void applySafeAreaInsets();

    std::shared_ptr<UIView> view_;
    bool loadingView_ = false;
    Appearance appearance_ = Appearance::disappeared;
    bool appearanceAnimated_ = false;
    // The children told about the transition under way, so that its end reaches them too.
    std::vector<std::weak_ptr<UIViewController>> appearanceChildren_;

    std::string title_;
    std::shared_ptr<UINavigationItem> navigationItem_;
    std::shared_ptr<UITabBarItem> tabBarItem_;

    std::weak_ptr<UIViewController> parent_;
    std::vector<std::shared_ptr<UIViewController>> children_;

    std::shared_ptr<UIViewController> presented_;
    std::weak_ptr<UIViewController> presenting_;
    std::shared_ptr<UIPresentationController> presentation_;
    UIModalPresentationStyle modalPresentationStyle_ = UIModalPresentationStyle::automatic;

    bool hidesBottomBarWhenPushed_ = false;
    UIRectEdge edgesForExtendedLayout_ = UIRectEdgeAll;
    UIEdgeInsets additionalSafeAreaInsets_;
    UIEdgeInsets containerSafeAreaInsets_;
    std::string storyboardIdentifier_;
};
