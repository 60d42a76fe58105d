#pragma once

#include "Startup/AppDelegate.h"
#include "platform/UIKit/UIWindow.h"

#include <memory>

// The application launched as the executable's main loop launches it, for a benchmark.
//
// The launch owns the interface: ending it, on whichever return, ends the application as
// the executable does after its main loop, the interface with its delegate going while
// everything it uses is still there. (Left to the application object, the interface would
// go only as the process exits, after the main thread's own data, which its views still
// use as they go.) A launch that adds a host or renderer ends that first, as its own
// member.
struct LaunchedApplication {
    std::shared_ptr<AppDelegate> delegate;
    std::shared_ptr<UIWindow> window;

    LaunchedApplication();
    ~LaunchedApplication();
    LaunchedApplication(const LaunchedApplication&) = delete;
    LaunchedApplication& operator=(const LaunchedApplication&) = delete;
};
