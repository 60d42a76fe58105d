#include "MainController/Login/View/LoginFormParts.h"

#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "platform/SnapKit/ConstraintMaker.h"

namespace loginparts {

namespace {

std::shared_ptr<QMUIButton> button(const std::string& title, std::function<void()> action) {
    auto made = std::make_shared<QMUIButton>();
    made->setTitle(title, UIControlStateNormal);
    made->addTarget([action = std::move(action)](UIControl&) { action(); }, UIControlEventTouchUpInside);
    return made;
}

} // namespace

std::shared_ptr<QMUITextField> textField(const std::string& placeholder, bool secure) {
    auto field = std::make_shared<QMUITextField>();
    field->setPlaceholder(placeholder);
    field->setSecureTextEntry(secure);
    field->setFont(UIFont::systemFontOfSize(16, UIFontWeightMedium));
    field->setTextColor(UIColor::whiteColor());
    field->setBackgroundColor(hexColor("#28272C"));
    field->setPlaceholderColor(hexColor("#C4C4C4"));
    field->layer()->setCornerRadius(10);
    field->setClipsToBounds(true);
    field->setTextInsets(UIEdgeInsets{0, 20, 0, 20});
    return field;
}

std::shared_ptr<QMUIButton> primaryButton(const std::string& title, std::function<void()> action) {
    auto made = button(title, std::move(action));
    made->titleLabel()->setFont(UIFont::systemFontOfSize(16, UIFontWeightBold));
    made->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    made->setBackgroundColor(hexColor("D73F3F"));
    made->layer()->setCornerRadius(16);
    made->setClipsToBounds(true);
    return made;
}

std::shared_ptr<QMUIButton> linkButton(const std::string& title, std::function<void()> action) {
    auto made = button(title, std::move(action));
    made->titleLabel()->setFont(UIFont::systemFontOfSize(14));
    made->setTitleColor(UIColor::whiteColor().colorWithAlphaComponent(0.6), UIControlStateNormal);
    return made;
}

std::shared_ptr<UIStackView> stack(UILayoutConstraintAxis axis, CGFloat spacing) {
    auto made = std::make_shared<UIStackView>();
    made->setAxis(axis);
    made->setSpacing(spacing);
    return made;
}

void constrainRows(const std::shared_ptr<UIStackView>& column) {
    for (const auto& arranged : column->arrangedSubviews()) {
        arranged->snp.makeConstraints([](ConstraintMaker& make) {
            make.height.equalTo(54);
            make.width.equalTo(screenWidth() - 64);
        });
    }
}

void constrainPrimaryButton(const std::shared_ptr<QMUIButton>& button, const ConstraintItem& top,
                            CGFloat offset) {
    button->snp.makeConstraints([&top, offset](ConstraintMaker& make) {
        make.top.equalTo(top).offset(offset);
        make.centerX.equalToSuperview();
        make.width.equalTo(214);
        make.height.equalTo(54);
    });
}

} // namespace loginparts
