#pragma once

#include "tools/devservice/Accounts.h"

#include <optional>
#include <string>
#include <string_view>

namespace devservice {

// The captcha provider's own host name: it serves the slider widget and the tickets, and
// nothing else; the service's captcha page (on the API host) loads the widget from it, as
// real captcha pages load theirs from their provider.
inline constexpr std::string_view kCaptchaHost = "captcha.orvex.test";

// The host name of a Host field ("Captcha.orvex.test:8083" -> "captcha.orvex.test").
std::string hostOfHostField(std::string_view field);

// The service's captcha page: it loads the widget from `widgetOrigin` ("https://host:port"),
// mounts it and, once the widget hands over its answer, calls the script bridge as
// `window.dsBridge.call("jsIOS", text)` with the answer's JSON text. Its "关闭" button
// closes the page itself.
std::string captchaPage(const std::string& widgetOrigin);

// The widget script: a slider a person drags to the right end; there it asks the provider
// for a ticket (POST "verify" beside the script) and hands the answer to the page.
std::string captchaWidgetScript();

// Whether a page of `origin` (a ticket request's Origin field) may use the captcha: https
// pages of the service's own zone, the provider's own host excepted.
bool mayUseCaptcha(const std::string& origin);
// The provider's answer to a ticket request: {"ret":0,"ticket":...,"randstr":...}.
std::string ticketAnswer(const CaptchaTicket& ticket);

} // namespace devservice
