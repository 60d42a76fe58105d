#include "bench/support/LaunchedApplication.h"

#include "Startup/ApplicationSetup.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"

LaunchedApplication::LaunchedApplication() {
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
}

LaunchedApplication::~LaunchedApplication() {
    UIApplication::sharedApplication()->setDelegate(nullptr);
}
