#pragma once

#include "platform/UIKit/Controllers/UIViewControllerTypes.h"
#include "platform/UIKit/UIResponder.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class UIApplication;
class UIScreen;
class UIWindow;

inline const std::string UIApplicationDidBecomeActiveNotification =
    "UIApplicationDidBecomeActiveNotification";
inline const std::string UIApplicationWillResignActiveNotification =
    "UIApplicationWillResignActiveNotification";
inline const std::string UIApplicationDidEnterBackgroundNotification =
    "UIApplicationDidEnterBackgroundNotification";
inline const std::string UIApplicationWillEnterForegroundNotification =
    "UIApplicationWillEnterForegroundNotification";
// Posted after the interface turned (the screen and the windows that turn with it).
inline const std::string UIApplicationDidChangeStatusBarOrientationNotification =
    "UIApplicationDidChangeStatusBarOrientationNotification";

enum class UIApplicationState { active, inactive, background };

using UIApplicationLaunchOptions = std::map<std::string, std::string>;
using UIApplicationOpenURLOptions = std::map<std::string, std::string>;

// The application's delegate: told when the application has launched and when it
// becomes active or stops being active. The main loop sets `window` (a window of the
// screen's size) before the launch call.
class UIApplicationDelegate {
  public:
    virtual ~UIApplicationDelegate() = default;

    std::shared_ptr<UIWindow> window;

    virtual bool didFinishLaunchingWithOptions(UIApplication& application,
                                               const UIApplicationLaunchOptions& options) {
        return true;
    }
    virtual UIInterfaceOrientationMask supportedInterfaceOrientationsForWindow(UIApplication& application,
                                                                               UIWindow* window) {
        return UIInterfaceOrientationMaskAllButUpsideDown;
    }
    virtual void applicationDidBecomeActive(UIApplication& application) {}
    virtual void applicationWillResignActive(UIApplication& application) {}
    virtual void applicationDidEnterBackground(UIApplication& application) {}
    virtual void applicationWillEnterForeground(UIApplication& application) {}
};

// The running application: its delegate, its windows, its state (active while the
// desktop window has the focus, in the background while it is minimised) and the
// opening of web addresses in the desktop's browser. Main thread only.
class UIApplication : public UIResponder {
  public:
    static const std::shared_ptr<UIApplication>& sharedApplication();

    const std::shared_ptr<UIApplicationDelegate>& delegate() const { return delegate_; }
    void setDelegate(std::shared_ptr<UIApplicationDelegate> delegate) { delegate_ = std::move(delegate); }

    // Visible windows, lowest level first, and the key window.
    std::vector<std::shared_ptr<UIWindow>> windows() const;
    std::shared_ptr<UIWindow> keyWindow() const;
    // Where the status bar is: the top strip of the screen.
    CGRect statusBarFrame() const;

    UIApplicationState applicationState() const { return state_; }
    // From the host: the window gained the focus or came back from being minimised
    // (active), lost the focus (inactive), or was minimised (background). Each change
    // tells the delegate and posts the platform's notification.
    void hostStateChanged(UIApplicationState state);

    // Opens a web address in the desktop's browser: only "http" and "https" addresses
    // with a host are opened, by the desktop's opener ("xdg-open" on the search path)
    // started without a shell, the address as its one argument. `completion` runs on the
    // main queue with whether the opener ran and succeeded (false for a refused address,
    // for which nothing is started).
    void openURL(const std::string& url, const UIApplicationOpenURLOptions& options,
                 std::function<void(bool success)> completion);

    // ---- Orientation ----
    // The orientations `window` may take: the answer of its top controller (the one
    // presented over its root, else the root), limited by the delegate's answer for the
    // window. A window without a root controller does not turn.
    UIInterfaceOrientationMask supportedInterfaceOrientationsForWindow(UIWindow& window) const;
    // Asks for the interface to turn to one of `orientations` that the key window may
    // take (the first of portrait, landscape left, landscape right and upside down). The
    // screen turns, and with it every window that covers the screen and may take the new
    // orientation; the others keep their layout and are off the screen until it turns
    // back. Answers whether the interface is in one of `orientations` now.
    bool requestGeometryUpdate(UIInterfaceOrientationMask orientations);
    // The screen's change handler (installed with the first controller): lays out the
    // windows that covered the screen for its new bounds.
    static void screenDidChange(UIScreen& screen, const CGRect& previousBounds);

  private:
    std::shared_ptr<UIApplicationDelegate> delegate_;
    UIApplicationState state_ = UIApplicationState::inactive;
};

// Builds the application delegate (the main entry's class of it).
using UIApplicationDelegateFactory = std::function<std::shared_ptr<UIApplicationDelegate>()>;

// The process's main loop. Options: "--headless" draws without a window (with
// "--screenshot FILE" it writes the screen as a PNG after "--screenshot-delay SECONDS",
// 2 by default, and ends); "--screen classic" picks the 375 x 667 phone screen, "--screen
// tablet" the 1024 x 1366 tablet screen. It makes the delegate and a window of the
// screen's size, calls didFinishLaunchingWithOptions, shows the window and runs until the
// window closes. Answers the process's exit status.
int UIApplicationMain(int argc, char** argv, const UIApplicationDelegateFactory& delegateFactory);
