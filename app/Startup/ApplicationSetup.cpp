#include "app/Startup/ApplicationSetup.h"

#include "app/Base/BaseViewController.h"
#include "app/Base/NavigationController.h"
#include "app/Network/ServiceConfiguration.h"
#include "app/Startup/TabbarController.h"
#include "app/Tabbar/AHLimberTabbar.h"
#include "app/Tabbar/AHLimberTabbarItem.h"
#include "app/Theme/QMUIConfigurationTemplate.h"
#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/Foundation/Once.h"
#include "platform/Network/NetworkPolicy.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "platform/UIKit/Controllers/UIStoryboard.h"

void setUpApplication() {
    static OnceToken once;
    dispatchOnce(once, [] {
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

        QMUIConfiguration::registerTemplate(std::make_shared<QMUIConfigurationTemplate>());
        QMUIConfiguration::sharedInstance()->applyInitialTemplate();

        // Media reaches the network too: the engines trust what the API client trusts, and
        // the media cache proxy's upstream fetches take the client's TLS and DNS-over-HTTPS
        // settings (read per request, so the launch sequence's settings apply).
        MediaEngineSettings::setCertificateAuthorityFile(ServiceConfiguration::current().caFile);
        SJMediaCacheServer::shared().setUpstreamConfigurator(NetworkPolicy::configurator());
    });
}
