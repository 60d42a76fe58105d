#include "bench/support/WindowedLaunch.h"

#include "Startup/ApplicationSetup.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"

WindowedLaunch::WindowedLaunch() {
    setUpApplication();
    auto& application = *UIApplication::sharedApplication();
    delegate = std::make_shared<AppDelegate>();
    application.setDelegate(delegate);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen().bounds());
    delegate->window = window;
    delegate->didFinishLaunchingWithOptions(application, {});
    window->makeKeyAndVisible();
    UIWindowDidBecomeVisible(*window);
    application.hostStateChanged(UIApplicationState::active);

    SDLWindowHost::Options options;
    options.windowScale = UIScreen::mainScreen().scale();
    options.vsync = false;
    host = std::make_unique<SDLWindowHost>(options);
}

WindowedLaunch::~WindowedLaunch() {
    UIApplication::sharedApplication()->setDelegate(nullptr);
}
