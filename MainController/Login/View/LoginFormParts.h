#pragma once

#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/SnapKit/ConstraintViewDSL.h"
#include "platform/UIKit/UIStackView.h"

#include <functional>
#include <memory>
#include <string>

// The pieces the accounts forms are made of: the dark rounded input fields, the red pill
// buttons and the faint link buttons, and the column of 54-point rows they stand in.
namespace loginparts {

std::shared_ptr<QMUITextField> textField(const std::string& placeholder, bool secure);
// A white bold title on the accent colour with round ends.
std::shared_ptr<QMUIButton> primaryButton(const std::string& title, std::function<void()> action);
// A white title at 60% for switching between sign-in and registration.
std::shared_ptr<QMUIButton> linkButton(const std::string& title, std::function<void()> action);
std::shared_ptr<UIStackView> stack(UILayoutConstraintAxis axis, CGFloat spacing);

// Every row of the field column is 54 high and spans the screen less the 32-point margins.
void constrainRows(const std::shared_ptr<UIStackView>& column);
// A pill button of 214 by 54, centred, `offset` below `top`.
void constrainPrimaryButton(const std::shared_ptr<QMUIButton>& button, const ConstraintItem& top,
                            CGFloat offset);

} // namespace loginparts
