#pragma once

#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/UIKit/UIStackView.h"

#include <functional>
#include <memory>
#include <string>

// The parts that the sign-in form and the password reset page share: the dark rounded
// input fields, the code row's button, the red pill buttons and the faint link buttons.
namespace loginparts {

std::shared_ptr<QMUITextField> textField(const std::string& placeholder, bool secure);
// "发送验证码" in the accent colour on a panel, disabled while its countdown runs.
std::shared_ptr<QMUIButton> codeButton(std::function<void()> action);
// A white bold title on the accent colour with round ends.
std::shared_ptr<QMUIButton> primaryButton(const std::string& title, std::function<void()> action);
// A white title at 60% for switching between sign-in and registration.
std::shared_ptr<QMUIButton> linkButton(const std::string& title, std::function<void()> action);
std::shared_ptr<UIStackView> stack(UILayoutConstraintAxis axis, CGFloat spacing);

} // namespace loginparts
