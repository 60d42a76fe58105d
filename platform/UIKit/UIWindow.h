#pragma once

#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UITouch.h"
#include "platform/UIKit/UIView.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class UIGestureRecognizer;
class UIViewController;

using UIWindowLevel = double;
inline constexpr UIWindowLevel UIWindowLevelNormal = 0;
inline constexpr UIWindowLevel UIWindowLevelAlert = 2000;

// The root of a view tree on the screen. Hosts feed it input in window coordinates: it
// finds the touched view, lets gesture recognizers on that view and its ancestors watch
// the touch, and delivers touches, scrolling, text and keys.
class UIWindow : public UIView {
  public:
    explicit UIWindow(const CGRect& frame = UIScreen::mainScreen().bounds());
    ~UIWindow() override;

    static std::shared_ptr<UIWindow> keyWindow();
    // Visible windows, lowest level first.
    static std::vector<std::shared_ptr<UIWindow>> windows();
    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;
    UIWindowLevel windowLevel() const { return windowLevel_; }
    void setWindowLevel(UIWindowLevel level) { windowLevel_ = level; }

    // The orientation the window is laid out for: the screen's when the window was made or
    // last turned with it (set by the platform's orientation handling). A window whose
    // pages do not turn stays as it was when the screen turns for another window, and is
    // off the screen until the screen is back in its orientation.
    UIInterfaceOrientation interfaceOrientation() const { return orientation_; }
    void setInterfaceOrientation(UIInterfaceOrientation orientation);
    // Visible and laid out for the screen as it is turned now.
    bool isOnScreen() const;

    // The controller whose view fills the window. Setting it hands the change to the
    // handler the controller layer installs (which puts the controller's view in place).
    const std::shared_ptr<UIViewController>& rootViewController() const { return rootViewController_; }
    void setRootViewController(std::shared_ptr<UIViewController> controller);
    using RootViewControllerHandler =
        std::function<void(UIWindow& window, const std::shared_ptr<UIViewController>& previous)>;
    static void setRootViewControllerHandler(RootViewControllerHandler handler);

    // Input from the host, in window coordinates; one pointer acts as one finger.
    void handleTouch(UITouchPhase phase, CGPoint location, double timestamp);
    // Offers a scroll to the views under `location`, innermost first; answers whether one took it.
    bool handleScroll(CGPoint location, CGFloat deltaX, CGFloat deltaY);
    void handleTextInput(const std::string& text);
    void handleMarkedText(const std::string& text);
    void handleDeleteBackward();
    void handleKeyCommand(UIKeyCommand command);

    // Called by a recognizer watching this window's touch when it recognizes its gesture.
    void gestureRecognizerDidRecognize(UIGestureRecognizer& recognizer);

  private:
    void beginTouch(CGPoint location, double timestamp);
    void finishTouch(UITouchPhase phase);

    std::shared_ptr<UIViewController> rootViewController_;
    UIWindowLevel windowLevel_ = UIWindowLevelNormal;
    UIInterfaceOrientation orientation_;
    std::shared_ptr<UITouch> touch_;
    std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers_;
    bool deliversToView_ = false;
    double lastTapTime_ = -1;
    CGPoint lastTapLocation_;
    int lastTapCount_ = 0;
};
