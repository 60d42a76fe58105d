#include "MainController/Login/Helpers/LoginChecks.h"

#include "app/Helpers/KKpresentationdisease.h"
#include "platform/QMUIKit/QMUITips.h"

namespace loginchecks {

bool phoneNumber(const std::string& number) {
    if (!KKpresentationdisease::isPhoneNumber(number)) {
        QMUITips::showError("请先输入正确的手机号");
        return false;
    }
    return true;
}

bool filled(const std::string& text, const char* message) {
    if (text.empty()) {
        QMUITips::showError(message);
        return false;
    }
    return true;
}

} // namespace loginchecks
