#include "platform/QMUIKit/Controllers/QMUIHelper.h"

#include "platform/UIKit/UIDevice.h"
#include "platform/UIKit/UIScreen.h"

bool QMUIHelper::isRegularScreen() {
    return UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::pad ||
           UIScreen::mainScreen().bounds().width() >= 414;
}
