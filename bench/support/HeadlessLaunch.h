#pragma once

#include "Startup/AppDelegate.h"
#include "platform/UIKit/UIWindow.h"
#include "platform/host/ScreenRenderer.h"

#include <memory>

// The application launched headless as the executable's main loop launches it, with a
// renderer that draws its screen on demand.
//
// The launch owns the interface for the benchmark: ending it, on whichever return, ends
// the application as the executable does after its main loop, the renderer first, then
// the interface with its delegate, while everything the interface uses is still there.
// (Left to the application object, the interface would go only as the process exits,
// after the main thread's own data, which its views still use as they go.)
struct HeadlessLaunch {
    std::shared_ptr<AppDelegate> delegate;
    std::shared_ptr<UIWindow> window;
    std::unique_ptr<ScreenRenderer> renderer;

    HeadlessLaunch();
    ~HeadlessLaunch();
    HeadlessLaunch(const HeadlessLaunch&) = delete;
    HeadlessLaunch& operator=(const HeadlessLaunch&) = delete;
};
