#include "Startup/AppDelegate.h"

#include "MainController/My/Model/DownloadCoordinator.h"
#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "Startup/KKdilemmaspectacularViewController.h"
#include "TLCommon/TLConfigure.h"
#include "app/Network/appLink.h"
#include "crashreport/core/Tremor.h"
#include "platform/IQKeyboardManager/IQKeyboardManager.h"
#include "platform/QMUIKit/Controllers/QMUIConsole.h"
#include "platform/SJBaseVideoPlayer/Player/SJRotationManager.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "platform/UIKit/UIWindow.h"

namespace {

AppDelegate::LaunchStepObserver& launchStepObserver() {
    static AppDelegate::LaunchStepObserver observer;
    return observer;
}

void completed(AppDelegate::LaunchStep step) {
    if (launchStepObserver()) {
        launchStepObserver()(step);
    }
}

} // namespace

void AppDelegate::setLaunchStepObserver(LaunchStepObserver observer) {
    launchStepObserver() = std::move(observer);
}

std::string AppDelegate::crashReportingAppId() {
    const std::string first = "7e3a1";
    const std::string second = "c94b2";
    return first + second;
}

bool AppDelegate::didFinishLaunchingWithOptions(UIApplication&, const UIApplicationLaunchOptions&) {
    std::make_shared<appLink>()->allLinkInAppDoH();
    completed(LaunchStep::encryptedNameResolution);

    Tremor::startWithAppId(crashReportingAppId());
    completed(LaunchStep::crashReporting);

    IQKeyboardManager::shared().enable = true;
    completed(LaunchStep::keyboardManager);

    QMUIConsole::appearance().canShow = false;
    completed(LaunchStep::debugConsoleHidden);

    TLConfigure::initWithAppkey("4c1f9a07d2e85b36a0f71c2e", "App Store");
    completed(LaunchStep::analytics);

    // Cached media is named by one rule for the whole process, before anything plays; the
    // proxy itself is still built only when first used.
    SJMediaCacheServer::setDefaultResolveAssetIdentifier(&KKcandyleanViewController::assetIdentifier);
    // Downloads left unfinished by the last run go on.
    DownloadCoordinator::shared().start();

    auto splash = std::make_shared<KKdilemmaspectacularViewController>();
    if (window) {
        window->setRootViewController(splash);
    }
    completed(LaunchStep::splashShown);
    return true;
}

UIInterfaceOrientationMask AppDelegate::supportedInterfaceOrientationsForWindow(UIApplication&,
                                                                                UIWindow* window) {
    return SJRotationManager::supportedInterfaceOrientationsForWindow(window);
}
