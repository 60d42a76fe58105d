#include "platform/UIKit/UIScreen.h"

#include "platform/render/DisplayScale.h"

UIScreen& UIScreen::mainScreen() {
    static UIScreen screen;
    return screen;
}

void UIScreen::configureMainScreen(const Metrics& metrics) {
    mainScreen().metrics_ = metrics;
    // Vector images are rendered for the screen's pixels.
    render::setDisplayScale(metrics.scale);
}
