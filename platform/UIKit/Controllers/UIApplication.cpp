#include "platform/UIKit/Controllers/UIApplication.h"

#include "platform/Foundation/NotificationCenter.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/UIKit/Controllers/URLOpener.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"

namespace {

constexpr const char* kOpener = "xdg-open";

} // namespace

const std::shared_ptr<UIApplication>& UIApplication::sharedApplication() {
    static const std::shared_ptr<UIApplication> application(new UIApplication());
    return application;
}

std::vector<std::shared_ptr<UIWindow>> UIApplication::windows() const {
    return UIWindow::windows();
}

std::shared_ptr<UIWindow> UIApplication::keyWindow() const {
    return UIWindow::keyWindow();
}

CGRect UIApplication::statusBarFrame() const {
    const auto& screen = UIScreen::mainScreen();
    return {{0, 0}, {screen.bounds().width(), screen.statusBarHeight()}};
}

void UIApplication::hostStateChanged(UIApplicationState state) {
    if (state_ == state) {
        return;
    }
    auto self = sharedApplication();
    const UIApplicationState previous = state_;
    auto& center = NotificationCenter::defaultCenter();
    auto delegate = delegate_;
    // Leaving the active state first, then entering the new one, as UIKit reports it.
    if (previous == UIApplicationState::active) {
        if (delegate) {
            delegate->applicationWillResignActive(*this);
        }
        center.post(UIApplicationWillResignActiveNotification);
    }
    if (previous == UIApplicationState::background) {
        if (delegate) {
            delegate->applicationWillEnterForeground(*this);
        }
        center.post(UIApplicationWillEnterForegroundNotification);
    }
    state_ = state;
    if (state == UIApplicationState::background) {
        if (delegate) {
            delegate->applicationDidEnterBackground(*this);
        }
        center.post(UIApplicationDidEnterBackgroundNotification);
    }
    if (state == UIApplicationState::active) {
        if (delegate) {
            delegate->applicationDidBecomeActive(*this);
        }
        center.post(UIApplicationDidBecomeActiveNotification);
    }
}

void UIApplication::openURL(const std::string& url, const UIApplicationOpenURLOptions&,
                            std::function<void(bool success)> completion) {
    if (!isOpenableWebAddress(url)) {
        RunLoop::main().post([completion = std::move(completion)] {
            if (completion) {
                completion(false);
            }
        });
        return;
    }
    runOpener(kOpener, url, std::move(completion));
}
