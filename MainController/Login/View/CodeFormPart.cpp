#include "MainController/Login/View/CodeFormPart.h"

#include "MainController/Login/Helpers/LoginChecks.h"
#include "MainController/Login/View/KKfigurerip.h"
#include "MainController/Login/View/LoginFormParts.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"
#include "platform/UIKit/UIView.h"

namespace {

// "发送验证码" in the accent colour on a panel; disabled while its countdown runs.
std::shared_ptr<QMUIButton> makeCodeButton(std::function<void()> action) {
    auto made = std::make_shared<QMUIButton>();
    made->setTitle("发送验证码", UIControlStateNormal);
    made->addTarget([action = std::move(action)](UIControl&) { action(); }, UIControlEventTouchUpInside);
    made->titleLabel()->setFont(UIFont::systemFontOfSize(16, UIFontWeightMedium));
    made->setTitleColor(hexColor("D73F3F"), UIControlStateNormal);
    made->setBackgroundColor(hexColor("#28272C"));
    made->layer()->setCornerRadius(10);
    made->setClipsToBounds(true);
    return made;
}

} // namespace

const char* mailType(CodePurpose purpose) {
    switch (purpose) {
    case CodePurpose::signIn:
        return "loginMailCode";
    case CodePurpose::registration:
        return "register";
    case CodePurpose::passwordReset:
        return "forgotPwd";
    }
    return "";
}

CodeFormPart::CodeFormPart(CodePurpose purpose, std::function<void()> onCodeButton)
    : purpose_(purpose), numberField_(loginparts::textField("手机号", false)),
      codeRow_(loginparts::stack(UILayoutConstraintAxis::horizontal, 12)),
      codeField_(loginparts::textField("输入验证码", false)),
      codeButton_(makeCodeButton(std::move(onCodeButton))), countdown_(codeButton_) {
    codeRow_->addArrangedSubview(codeField_);
    codeRow_->addArrangedSubview(codeButton_);
    // The field takes what the button leaves.
    codeButton_->snp.makeConstraints([](ConstraintMaker& make) { make.width.equalTo(112); });
    for (const auto& arranged : codeRow_->arrangedSubviews()) {
        arranged->snp.makeConstraints([](ConstraintMaker& make) { make.height.equalTo(54); });
    }
}

void CodeFormPart::requestCode(const std::shared_ptr<UIView>& page,
                               std::function<void(const JSON&)> onCaptcha) {
    if (!loginchecks::phoneNumber(numberField_->text())) {
        return;
    }
    if (inFlight_) {
        return;
    }
    page->endEditing(true);
    const auto window = keyWindow();
    if (!window) {
        return;
    }
    const auto overlay = KKfigurerip::make(screenBounds());
    window->addSubview(overlay);
    overlay->getResult = std::move(onCaptcha);
}

void CodeFormPart::sendCode(const std::shared_ptr<UIView>& page, const JSON& captcha) {
    const std::string number = numberField_->text();
    if (!loginchecks::phoneNumber(number)) {
        return;
    }
    if (inFlight_) {
        return;
    }
    inFlight_ = true;
    QMUITips::showLoadingInView(page);
    apiClient.sendMail(number, captcha["randstr"].stringValue(), captcha["ticket"].stringValue(),
                       mailType(purpose_),
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
