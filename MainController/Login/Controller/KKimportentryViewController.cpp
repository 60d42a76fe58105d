#include "MainController/Login/Controller/KKimportentryViewController.h"

#include "MainController/Login/Helpers/LoginChecks.h"
#include "MainController/Login/View/LoginFormParts.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"

std::weak_ptr<KKimportentryViewController> KKimportentryViewController::weakSelf() {
    return std::static_pointer_cast<KKimportentryViewController>(shared_from_this());
}

CodeFormPart& KKimportentryViewController::codeForm() {
    if (!codeForm_) {
        codeForm_ = std::make_shared<CodeFormPart>(CodePurpose::passwordReset, [weak = weakSelf()] {
            if (const auto self = weak.lock()) {
                self->requestCode();
            }
        });
    }
    return *codeForm_;
}

const std::shared_ptr<QMUILabel>& KKimportentryViewController::kkjeopardizegallon() {
    if (!kkjeopardizegallon_) {
        kkjeopardizegallon_ = std::make_shared<QMUILabel>();
        kkjeopardizegallon_->setText("输入与您的帐户相关的手机号，以重置您的密码。");
        kkjeopardizegallon_->setNumberOfLines(0);
        kkjeopardizegallon_->setTextAlignment(NSTextAlignment::center);
        kkjeopardizegallon_->setFont(UIFont::systemFontOfSize(14, UIFontWeightMedium));
        kkjeopardizegallon_->setTextColor(UIColor::whiteColor());
    }
    return kkjeopardizegallon_;
}

const std::shared_ptr<UIStackView>& KKimportentryViewController::kkloungecandy() {
    if (!kkloungecandy_) {
        kkloungecandy_ = loginparts::stack(UILayoutConstraintAxis::vertical, 32);
    }
    return kkloungecandy_;
}

const std::shared_ptr<QMUITextField>& KKimportentryViewController::kkabolishdoctrine() {
    return codeForm().numberField();
}

const std::shared_ptr<QMUITextField>& KKimportentryViewController::kkdoctrinepalm() {
    if (!kkdoctrinepalm_) {
        kkdoctrinepalm_ = loginparts::textField("输入新密码", true);
    }
    return kkdoctrinepalm_;
}

const std::shared_ptr<UIStackView>& KKimportentryViewController::kkpalmflour() {
    return codeForm().codeRow();
}

const std::shared_ptr<QMUITextField>& KKimportentryViewController::kkflourevoke() {
    return codeForm().codeField();
}

const std::shared_ptr<QMUIButton>& KKimportentryViewController::kkevokefade() {
    return codeForm().codeButton();
}

const std::shared_ptr<QMUIButton>& KKimportentryViewController::kkreignunion() {
    if (!kkreignunion_) {
        kkreignunion_ = loginparts::primaryButton("确认", [weak = weakSelf()] {
            if (const auto self = weak.lock()) {
                self->submit();
            }
        });
    }
    return kkreignunion_;
}

void KKimportentryViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    setupUI();
}

void KKimportentryViewController::setupUI() {
    setTitle("忘了密码");
    view()->setBackgroundColor(hexColor("1C1B20"));
    view()->addSubview(kkjeopardizegallon());
    view()->addSubview(kkloungecandy());
    kkloungecandy()->addArrangedSubview(kkabolishdoctrine());
    kkloungecandy()->addArrangedSubview(kkpalmflour());
    kkloungecandy()->addArrangedSubview(kkdoctrinepalm());
    view()->addSubview(kkreignunion());

    const auto& safeArea = view()->safeAreaLayoutGuide();
    kkjeopardizegallon()->snp.makeConstraints([&safeArea](ConstraintMaker& make) {
        make.top.equalTo(safeArea->snp.top).offset(20);
        make.left.right().equalToSuperview().inset(32);
    });
    kkloungecandy()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkjeopardizegallon()->snp.bottom).offset(45);
        make.left.equalToSuperview().inset(32);
    });
    loginparts::constrainRows(kkloungecandy());
    loginparts::constrainPrimaryButton(kkreignunion(), kkloungecandy()->snp.bottom, 32);
}

void KKimportentryViewController::requestCode() {
    codeForm().requestCode(view(), [weak = weakSelf()](const JSON& captcha) {
        if (const auto self = weak.lock()) {
            self->sendCode(captcha);
        }
    });
}

void KKimportentryViewController::sendCode(const JSON& captcha) {
    codeForm().sendCode(view(), captcha);
}

void KKimportentryViewController::submit() {
    const std::string number = kkabolishdoctrine()->text();
    if (!loginchecks::phoneNumber(number) || !loginchecks::filled(kkflourevoke()->text(), "请先输入验证码") ||
        !loginchecks::filled(kkdoctrinepalm()->text(), "请先输入密码")) {
        return;
    }
    if (submitInFlight_) {
        return;
    }
    submitInFlight_ = true;
    QMUITips::showLoadingInView(view());
    apiClient.forgotPwd(number, kkdoctrinepalm()->text(), kkflourevoke()->text(),
                        [weak = weakSelf()](std::optional<JSON> json, std::optional<NSError>) {
                            const auto self = weak.lock();
                            if (!self) {
                                return;
                            }
                            self->submitInFlight_ = false;
                            if (json) {
                                QMUITips::showSucceed("密码修改成功!");
                            }
                        });
}
