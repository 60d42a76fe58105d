#pragma once

#include "platform/CoreGraphics/CGGeometry.h"
#include "platform/Foundation/DispatchQueue.h"
#include "platform/Foundation/UserDefaults.h"
#include "platform/UIKit/UIImage.h"
#include "platform/UIKit/UIWindow.h"

#include <memory>
#include <string>

// Values every screen reads: the screen's size, the bars' heights, shared objects and the
// application's version. Each is worked out once, on first use (safely when several
// threads ask at once), and kept for the life of the process; read them after the host has
// configured the screen and, for keyWindow and statusBarHeight, after the window is shown.

// The sizes that follow from the screen's bounds: screens 812 points high or more have a
// 34-point home indicator area under a 49-point tab bar.
struct ScreenMetrics {
    CGRect bounds;
    bool isFullScreen = false;
    CGFloat bottomSafeHeight = 0;
    CGFloat tabBarHeight = 49;

    static ScreenMetrics forBounds(const CGRect& bounds);
};

CGFloat screenWidth();
CGFloat screenHeight();
CGRect screenBounds();
bool isFullScreen();
CGFloat bottomSafeHeight();
CGFloat tabBarHeight();
CGFloat statusBarHeight();
// The poster placeholder, the image resource "default_background".
std::shared_ptr<UIImage> placeholderImage();
UserDefaults& userDefaults();
DispatchQueue& mainQueue();
// Info value "CFBundleShortVersionString" as text; a package without it is broken, and the
// first use stops the process.
const std::string& appVersion();
// The first window that was key at first use, while it exists; none when no window was.
std::shared_ptr<UIWindow> keyWindow();
