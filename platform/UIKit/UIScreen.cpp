#include "platform/UIKit/UIScreen.h"

#include "platform/render/DisplayScale.h"

#include <algorithm>

UIScreen& UIScreen::mainScreen() {
    static UIScreen screen;
    return screen;
}

void UIScreen::configureMainScreen(const Metrics& metrics) {
    mainScreen().metrics_ = metrics;
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
