#pragma once

#include "MainController/Login/Helpers/CodeCountdown.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/UIKit/UIStackView.h"

#include <functional>
#include <memory>

class UIView;

// What a verification code is asked for: the "type" of "api/mail", which the service checks
// again when the code comes back with a sign-in, a registration or a reset.
enum class CodePurpose {
    signIn,        // "loginMailCode": signing in with a code instead of the password
    registration,  // "register"
    passwordReset, // "forgotPwd"
};

const char* mailType(CodePurpose purpose);

// The part of a form that gets a verification code for a mobile number, shared by the
// sign-in form and the password reset page: the number field "手机号"; the code row, which
// holds the code field "输入验证码" and the 112-point code button "发送验证码", both 54 high;
// and the code request. A request checks the number, shows the captcha over the key window
// and, with the captcha's answer, asks the service for a code of the part's purpose; once
// the code is on its way the button counts down a minute. One request at a time. The page
// owns the part, and an answer that arrives after the page is gone does nothing.
class CodeFormPart : public std::enable_shared_from_this<CodeFormPart> {
  public:
    // `onCodeButton` is the code button's action.
    CodeFormPart(CodePurpose purpose, std::function<void()> onCodeButton);
    CodeFormPart(const CodeFormPart&) = delete;
    CodeFormPart& operator=(const CodeFormPart&) = delete;

    CodePurpose purpose() const { return purpose_; }
    const std::shared_ptr<QMUITextField>& numberField() const { return numberField_; }
    const std::shared_ptr<UIStackView>& codeRow() const { return codeRow_; }
    const std::shared_ptr<QMUITextField>& codeField() const { return codeField_; }
    const std::shared_ptr<QMUIButton>& codeButton() const { return codeButton_; }
    // The running countdown's timer, if any.
    const std::shared_ptr<Timer>& timer() const { return countdown_.timer(); }

    // Checks the number, ends editing in `page` and shows the captcha over the key window;
    // a passed captcha is handed to `onCaptcha`.
    void requestCode(const std::shared_ptr<UIView>& page, std::function<void(const JSON&)> onCaptcha);
    // Sends the code for the number with the captcha's answer, a loading tip in `page`.
    void sendCode(const std::shared_ptr<UIView>& page, const JSON& captcha);

  private:
    CodePurpose purpose_;
    std::shared_ptr<QMUITextField> numberField_;
    std::shared_ptr<UIStackView> codeRow_;
    std::shared_ptr<QMUITextField> codeField_;
    std::shared_ptr<QMUIButton> codeButton_;
    CodeCountdown countdown_;
    bool inFlight_ = false;
};
