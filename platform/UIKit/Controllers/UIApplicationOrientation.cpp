#include "platform/Foundation/Log.h"
#include "platform/Foundation/NotificationCenter.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIViewController.h"
#include "platform/UIKit/UIScreen.h"
#include "platform/UIKit/UIWindow.h"

namespace {

// The order in which orientations are chosen when several are asked for.
constexpr UIInterfaceOrientation kPreference[] = {
    UIInterfaceOrientation::portrait,
    UIInterfaceOrientation::landscapeLeft,
    UIInterfaceOrientation::landscapeRight,
    UIInterfaceOrientation::portraitUpsideDown,
};

// Lays `window` out for the screen's bounds: the views that filled it (its root
// controller's, presentation containers) fill it again.
void fitToScreen(UIWindow& window, UIScreen& screen) {
    const CGRect old = window.bounds();
    const CGRect bounds = screen.bounds();
    if (auto root = window.rootViewController(); root && old.size != bounds.size) {
        root->viewWillTransitionToSize(bounds.size);
    }
    window.setInterfaceOrientation(screen.interfaceOrientation());
    window.setFrame(bounds);
    for (const auto& view : window.subviews()) {
        if (view->frame() == old) {
            view->setFrame(window.bounds());
        }
    }
}

} // namespace

UIInterfaceOrientationMask UIApplication::supportedInterfaceOrientationsForWindow(UIWindow& window) const {
    auto top = window.rootViewController();
    if (!top) {
        return 0;
    }
    for (auto presented = top->presentedViewController(); presented && presented != top;
         presented = top->presentedViewController()) {
        top = presented;
    }
    UIInterfaceOrientationMask mask = top->supportedInterfaceOrientations();
    if (delegate_) {
        mask &= delegate_->supportedInterfaceOrientationsForWindow(*sharedApplication(), &window);
    }
    return mask;
}

bool UIApplication::requestGeometryUpdate(UIInterfaceOrientationMask orientations) {
    UIScreen& screen = UIScreen::mainScreen();
    if ((orientations & UIInterfaceOrientationMaskFor(screen.interfaceOrientation())) != 0) {
        return true;
    }
    auto key = keyWindow();
    const UIInterfaceOrientationMask allowed =
        key ? orientations & supportedInterfaceOrientationsForWindow(*key) : 0;
    for (const UIInterfaceOrientation orientation : kPreference) {
        if ((allowed & UIInterfaceOrientationMaskFor(orientation)) != 0) {
            screen.setInterfaceOrientation(orientation);
            NotificationCenter::defaultCenter().post(UIApplicationDidChangeStatusBarOrientationNotification);
            return true;
        }
    }
    consoleLog("[UIApplication] The key window may not turn to the orientation asked for.");
    return false;
}

void UIApplication::screenDidChange(UIScreen& screen, const CGRect& previousBounds) {
    const UIInterfaceOrientation orientation = screen.interfaceOrientation();
    const auto application = sharedApplication();
    for (const auto& window : UIWindow::windows()) {
        // Only windows that covered the screen go with it; a window laid out for another
        // orientation turns only when its pages may take the new one.
        if (window->frame() != previousBounds) {
            continue;
        }
        const bool turns = window->interfaceOrientation() != orientation;
        if (turns && (application->supportedInterfaceOrientationsForWindow(*window) &
                      UIInterfaceOrientationMaskFor(orientation)) == 0) {
            continue;
        }
        fitToScreen(*window, screen);
    }
}
