#pragma once

#include "platform/UIKit/Controllers/UIApplication.h"

#include <functional>
#include <string>

// The application's delegate: the launch sequence, and rotation left to the player
// framework. The main loop sets `window` before the launch call.
class AppDelegate : public UIApplicationDelegate {
  public:
    // The launch steps, in the order they run.
    enum class LaunchStep {
        encryptedNameResolution,
        crashReporting,
        keyboardManager,
        debugConsoleHidden,
        analytics,
        splashShown,
    };
    // Told after each launch step has run (for diagnostics and tests).
    using LaunchStepObserver = std::function<void(LaunchStep step)>;
    static void setLaunchStepObserver(LaunchStepObserver observer);

    // The crash SDK's application ID, put together at run time from two parts.
    static std::string crashReportingAppId();

    bool didFinishLaunchingWithOptions(UIApplication& application,
                                       const UIApplicationLaunchOptions& options) override;
    UIInterfaceOrientationMask supportedInterfaceOrientationsForWindow(UIApplication& application,
                                                                       UIWindow* window) override;
};
