#include "MainController/ScreenRegistry.h"

#include "MainController/Home/Controller/KKelectronicbrow.h"
#include "MainController/Library/Controller/KKspectacularaccountantViewController.h"
#include "MainController/My/Controller/KKstimulateinterfereViewController.h"
#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "platform/UIKit/Controllers/UIStoryboard.h"

#include <memory>

void registerScreens() {
    UIStoryboard::registerViewControllerClass("KKelectronicbrow",
                                              [] { return std::make_shared<KKelectronicbrow>(); });
    UIStoryboard::registerViewControllerClass("KKspectacularaccountantViewController", [] {
        return std::make_shared<KKspectacularaccountantViewController>();
    });
    UIStoryboard::registerViewControllerClass("KKcandyleanViewController",
                                              [] { return std::make_shared<KKcandyleanViewController>(); });
    UIStoryboard::registerViewControllerClass("KKstimulateinterfereViewController", [] {
        return std::make_shared<KKstimulateinterfereViewController>();
    });
}
