#include "MainController/Login/Helpers/CodeRequest.h"

#include "MainController/Login/View/KKfigurerip.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/UIKit/UIView.h"

void CodeRequest::showCaptcha(const std::shared_ptr<UIView>& view, const std::string& number,
                              std::function<void(const JSON&)> onCaptcha) {
    if (!loginchecks::phoneNumber(number)) {
        return;
    }
    if (inFlight_) {
        return;
    }
    view->endEditing(true);
    const auto window = keyWindow();
    if (!window) {
        return;
    }
    const auto overlay = KKfigurerip::make(screenBounds());
    window->addSubview(overlay);
    overlay->getResult = std::move(onCaptcha);
}

void CodeRequest::send(const std::shared_ptr<UIView>& view, const std::string& number, const JSON& captcha,
                       const std::string& mailType) {
    if (!loginchecks::phoneNumber(number)) {
        return;
    }
    if (inFlight_) {
        return;
    }
    inFlight_ = true;
    QMUITips::showLoadingInView(view);
    apiClient.sendMail(number, captcha["randstr"].stringValue(), captcha["ticket"].stringValue(), mailType,
                       [weak = weak_from_this()](std::optional<JSON> json, std::optional<NSError>) {
                           const auto self = weak.lock();
                           if (!self) {
                               return;
                           }
                           self->inFlight_ = false;
                           if (!json) {
                               return;
                           }
                           QMUITips::showSucceed("验证码获取成功");
                           self->countdown_.start();
                       });
}

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
