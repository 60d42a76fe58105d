#include "app/Constants/ModuleConstants.h"

#include "platform/Foundation/Bundle.h"
#include "platform/Foundation/Once.h"
#include "platform/UIKit/UIScreen.h"

#include <cstdio>
#include <cstdlib>

namespace {

// A value computed by `make` on first use and kept.
template <class T, class Make> const T& once(Make make) {
    static OnceToken token;
    static T value;
    dispatchOnce(token, [&] { value = make(); });
    return value;
}

const ScreenMetrics& metrics() {
    return once<ScreenMetrics>([] { return ScreenMetrics::forBounds(UIScreen::mainScreen().bounds()); });
}

} // namespace

ScreenMetrics ScreenMetrics::forBounds(const CGRect& bounds) {
    ScreenMetrics result;
    result.bounds = bounds;
    result.isFullScreen = bounds.size.height >= 812.0;
    result.bottomSafeHeight = result.isFullScreen ? 34.0 : 0.0;
    result.tabBarHeight = result.bottomSafeHeight + 49.0;
    return result;
}

CGFloat screenWidth() {
    return metrics().bounds.size.width;
}
CGFloat screenHeight() {
    return metrics().bounds.size.height;
}
CGRect screenBounds() {
    return metrics().bounds;
}
bool isFullScreen() {
    return metrics().isFullScreen;
}
CGFloat bottomSafeHeight() {
    return metrics().bottomSafeHeight;
}
CGFloat tabBarHeight() {
    return metrics().tabBarHeight;
}

CGFloat statusBarHeight() {
    return once<CGFloat>([] { return UIScreen::mainScreen().statusBarHeight(); });
}

std::shared_ptr<UIImage> placeholderImage() {
    return once<std::shared_ptr<UIImage>>([] { return UIImage::imageNamed("default_background"); });
}

UserDefaults& userDefaults() {
    return *once<UserDefaults*>([] { return &UserDefaults::standard(); });
}

DispatchQueue& mainQueue() {
    return *once<DispatchQueue*>([] { return &DispatchQueue::main(); });
}

const std::string& appVersion() {
    return once<std::string>([] {
        const JSON value = Bundle::main().infoValue("CFBundleShortVersionString");
        if (!value.exists() || value.isNull()) {
            std::fprintf(stderr,
                         "Info value CFBundleShortVersionString is missing from the application package\n");
            std::abort();
        }
        return value.string() ? *value.string() : value.rawString();
    });
}

std::shared_ptr<UIWindow> keyWindow() {
    // The key window at first use, held weakly: the application owns it. Once that window has
    // gone (closed, and the application's window made anew) the key window is looked up again,
    // instead of naming nothing for the rest of the process.
    static bool lookedUp = false;
    static bool found = false;
    static std::weak_ptr<UIWindow> remembered;
    if (auto window = remembered.lock()) {
        return window;
    }
    if (lookedUp && !found) {
        return nullptr;
    }
    lookedUp = true;
    for (const auto& window : UIWindow::windows()) {
        if (window->isKeyWindow()) {
            found = true;
            remembered = window;
            return window;
        }
    }
    return nullptr;
}
