#include "Startup/ApplicationSetup.h"

#include "MainController/ScreenRegistry.h"
#include "Startup/TabbarController.h"
#include "app/Base/BaseViewController.h"
#include "app/Base/NavigationController.h"
#include "app/Network/ServiceConfiguration.h"
#include "app/Tabbar/AHLimberTabbar.h"
#include "app/Tabbar/AHLimberTabbarItem.h"
#include "app/Theme/QMUIConfigurationTemplate.h"
#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/Foundation/Once.h"
#include "platform/UIKit/Controllers/UIStoryboard.h"
#include "platform/host/MemoryPolicy.h"

void setUpApplication() {
    static OnceToken once;
    dispatchOnce(once, [] {
        MemoryPolicy::apply();
        UIStoryboard::registerViewControllerClass("TabbarController",
                                                  [] { return std::make_shared<TabbarController>(); });
        UIStoryboard::registerViewControllerClass("NavigationController",
                                                  [] { return std::make_shared<NavigationController>(); });
        UIStoryboard::registerViewControllerClass("BaseViewController",
                                                  [] { return std::make_shared<BaseViewController>(); });
        UIStoryboard::registerTabBarClass("AHLimberTabbar",
                                          [] { return std::make_shared<AHLimberTabbar>(); });
        UIStoryboard::registerTabBarItemClass("AHLimberTabbarItem",
                                              [] { return std::make_shared<AHLimberTabbarItem>(); });
        registerScreens();

        QMUIConfiguration::registerTemplate(std::make_shared<QMUIConfigurationTemplate>());
        QMUIConfiguration::sharedInstance()->applyInitialTemplate();

        // The playback engines trust what the API client trusts.
        MediaEngineSettings::setCertificateAuthorityFile(ServiceConfiguration::current().caFile);
    });
}
