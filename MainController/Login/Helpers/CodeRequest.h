#pragma once

#include "MainController/Login/Helpers/CodeCountdown.h"
#include "platform/Foundation/JSON.h"

#include <functional>
#include <memory>
#include <string>

class UIButton;
class UIView;

// Asking the service for a verification code, as the sign-in form and the password reset
// page both do: a valid number first, then the captcha overlay, then "api/sendMail" for the
// page's mail type and, once the code is on its way, the code button's countdown. One
// request at a time; the page owns the request, and a completion that arrives after the
// page is gone does nothing.
class CodeRequest : public std::enable_shared_from_this<CodeRequest> {
  public:
    explicit CodeRequest(std::weak_ptr<UIButton> button) : countdown_(std::move(button)) {}

    // Checks the number, ends editing in `view` and shows the captcha over the key window;
    // a passed captcha is handed to `onCaptcha`.
    void showCaptcha(const std::shared_ptr<UIView>& view, const std::string& number,
                     std::function<void(const JSON&)> onCaptcha);
    // Sends the code for `number` with the captcha's answer, a loading tip in `view`.
    void send(const std::shared_ptr<UIView>& view, const std::string& number, const JSON& captcha,
              const std::string& mailType);

    const std::shared_ptr<Timer>& timer() const { return countdown_.timer(); }

  private:
    CodeCountdown countdown_;
    bool inFlight_ = false;
};

namespace loginchecks {

// Each shows its error tip and answers false when the form may not be sent.
bool phoneNumber(const std::string& number);
bool filled(const std::string& text, const char* message);

} // namespace loginchecks
