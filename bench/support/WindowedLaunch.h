#pragma once

#include "Startup/AppDelegate.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/SDLWindowHost.h"

#include <memory>

// The application launched as the executable's main loop launches it, shown in an SDL
// window at the screen's scale without waiting for vertical sync.
struct WindowedLaunch {
    std::shared_ptr<AppDelegate> delegate;
    std::shared_ptr<UIWindow> window;
    std::unique_ptr<SDLWindowHost> host;

    // Launches; `host` is open unless the window could not be made. Ending the launch hands
    // the interface back with its delegate.
    WindowedLaunch();
    ~WindowedLaunch();
    WindowedLaunch(const WindowedLaunch&) = delete;
    WindowedLaunch& operator=(const WindowedLaunch&) = delete;
};
