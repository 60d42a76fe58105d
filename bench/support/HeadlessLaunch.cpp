#include "bench/support/HeadlessLaunch.h"

#include "Startup/ApplicationSetup.h"
#include "platform/UIKit/Controllers/UIApplication.h"
#include "platform/UIKit/Controllers/UIWindowRoot.h"
#include "platform/UIKit/UIScreen.h"

HeadlessLaunch::HeadlessLaunch() {
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
    renderer = std::make_unique<ScreenRenderer>();
}

HeadlessLaunch::~HeadlessLaunch() {
    renderer.reset();
    UIApplication::sharedApplication()->setDelegate(nullptr);
}
