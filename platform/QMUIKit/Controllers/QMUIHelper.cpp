#include "platform/QMUIKit/Controllers/QMUIHelper.h"

#include "platform/UIKit/UIScreen.h"

bool QMUIHelper::isRegularScreen() {
    return UIScreen::mainScreen().bounds().width() >= 414;
}
