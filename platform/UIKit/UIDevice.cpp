#include "platform/UIKit/UIDevice.h"

#include "platform/UIKit/UIScreen.h"

UIDevice& UIDevice::currentDevice() {
    static UIDevice device;
    return device;
}

UIUserInterfaceIdiom UIDevice::userInterfaceIdiom() const {
    return UIScreen::mainScreen().metrics().idiom;
}
