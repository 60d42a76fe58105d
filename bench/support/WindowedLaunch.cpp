#include "bench/support/WindowedLaunch.h"

#include "platform/UIKit/UIScreen.h"

WindowedLaunch::WindowedLaunch() {
    SDLWindowHost::Options options;
    options.windowScale = UIScreen::mainScreen().scale();
    options.vsync = false;
    host = std::make_unique<SDLWindowHost>(options);
}
