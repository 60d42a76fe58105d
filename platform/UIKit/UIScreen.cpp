#include "platform/UIKit/UIScreen.h"

#include "platform/render/DisplayScale.h"

#include <algorithm>

namespace {

// The home indicator of a turned phone is shorter than an upright one's.
constexpr CGFloat kLandscapeHomeIndicatorHeight = 21;

UIScreen::ChangeHandler& changeHandler() {
    static UIScreen::ChangeHandler handler;
    return handler;
}

} // namespace

UIScreen& UIScreen::mainScreen() {
    static UIScreen screen;
    return screen;
}

void UIScreen::configureMainScreen(const Metrics& metrics) {
    UIScreen& screen = mainScreen();
    screen.metrics_ = metrics;
    screen.orientation_ = UIInterfaceOrientation::portrait;
    screen.hostSize_.reset();
    // Vector images are rendered for the screen's pixels.
    render::setDisplayScale(metrics.scale);
}

UIScreen::Metrics UIScreen::Metrics::forSize(CGSize size) {
    const CGFloat shorter = std::min(size.width, size.height);
    const CGFloat longer = std::max(size.width, size.height);
    if (shorter >= 600) {
        const bool homeIndicator = longer >= 1133;
        return {size, 2, homeIndicator ? 24.0 : 20.0, homeIndicator ? 20.0 : 0.0, UIUserInterfaceIdiom::pad};
    }
    const bool tall = size.height >= 812;
    return {size, 2, tall ? 47.0 : 20.0, tall ? 34.0 : 0.0, UIUserInterfaceIdiom::phone};
}

void UIScreen::setChangeHandler(ChangeHandler handler) {
    changeHandler() = std::move(handler);
}

CGRect UIScreen::bounds() const {
    if (hostSize_) {
        return {{0, 0}, *hostSize_};
    }
    const CGSize upright = metrics_.size;
    return {{0, 0},
            UIInterfaceOrientationIsLandscape(orientation_) ? CGSize{upright.height, upright.width}
                                                            : upright};
}

CGRect UIScreen::boundsFor(UIInterfaceOrientation orientation) const {
    if (UIInterfaceOrientationIsLandscape(orientation) == UIInterfaceOrientationIsLandscape(orientation_)) {
        return bounds();
    }
    const CGSize upright = metrics_.size;
    return {{0, 0},
            UIInterfaceOrientationIsLandscape(orientation) ? CGSize{upright.height, upright.width} : upright};
}

CGFloat UIScreen::statusBarHeight() const {
    const bool phoneTurned =
        metrics_.idiom == UIUserInterfaceIdiom::phone && UIInterfaceOrientationIsLandscape(orientation_);
    return phoneTurned ? 0 : metrics_.statusBarHeight;
}

UIEdgeInsets UIScreen::safeAreaInsetsFor(UIInterfaceOrientation orientation) const {
    // A tablet keeps its status bar above and its home indicator below whichever way it
    // is turned.
    if (!UIInterfaceOrientationIsLandscape(orientation) || metrics_.idiom == UIUserInterfaceIdiom::pad) {
        return {metrics_.statusBarHeight, 0, metrics_.bottomSafeAreaHeight, 0};
    }
    if (metrics_.bottomSafeAreaHeight <= 0) {
        return {};
    }
    return {0, metrics_.statusBarHeight, kLandscapeHomeIndicatorHeight, metrics_.statusBarHeight};
}

void UIScreen::setInterfaceOrientation(UIInterfaceOrientation orientation) {
    if (orientation_ == orientation) {
        return;
    }
    const CGRect previous = bounds();
    orientation_ = orientation;
    hostSize_.reset();
    changed(previous);
}

void UIScreen::hostWindowDidResize(CGSize size) {
    if (size == bounds().size || size.width <= 0 || size.height <= 0) {
        return;
    }
    const CGRect previous = bounds();
    hostSize_ = size;
    changed(previous);
}

void UIScreen::changed(const CGRect& previousBounds) {
    if (const auto& handler = changeHandler()) {
        handler(*this, previousBounds);
    }
}
