#include "MainController/Login/Controller/KKentrymaximumViewController.h"

#include "MainController/Login/Controller/KKimportentryViewController.h"
#include "MainController/Login/Controller/KKmaximumdefyViewController.h"
#include "MainController/Login/Helpers/LoginChecks.h"
#include "MainController/Login/View/LoginFormParts.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Models/KKrearinfluence.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"

std::weak_ptr<KKentrymaximumViewController> KKentrymaximumViewController::weakSelf() {
    return std::static_pointer_cast<KKentrymaximumViewController>(shared_from_this());
}

CodeFormPart& KKentrymaximumViewController::codeForm() {
    if (!codeForm_) {
        const auto purpose = isLogin ? CodePurpose::signIn : CodePurpose::registration;
        codeForm_ = std::make_shared<CodeFormPart>(purpose, [weak = weakSelf()] {
            if (const auto self = weak.lock()) {
                self->requestCode();
            }
        });
    }
    return *codeForm_;
}

const std::shared_ptr<UIStackView>& KKentrymaximumViewController::kkloungecandy() {
    if (!kkloungecandy_) {
        kkloungecandy_ = loginparts::stack(UILayoutConstraintAxis::vertical, 32);
    }
    return kkloungecandy_;
}

const std::shared_ptr<QMUITextField>& KKentrymaximumViewController::kkabolishdoctrine() {
    return codeForm().numberField();
}

const std::shared_ptr<QMUITextField>& KKentrymaximumViewController::kkdoctrinepalm() {
    if (!kkdoctrinepalm_) {
        kkdoctrinepalm_ = loginparts::textField("密码", true);
    }
    return kkdoctrinepalm_;
}

const std::shared_ptr<QMUITextField>& KKentrymaximumViewController::kkworshipthorough() {
    if (!kkworshipthorough_) {
        kkworshipthorough_ = loginparts::textField("确认密码", true);
    }
    return kkworshipthorough_;
}

const std::shared_ptr<UIStackView>& KKentrymaximumViewController::kkpalmflour() {
    return codeForm().codeRow();
}

const std::shared_ptr<QMUITextField>& KKentrymaximumViewController::kkflourevoke() {
    return codeForm().codeField();
}

const std::shared_ptr<QMUIButton>& KKentrymaximumViewController::kkevokefade() {
    return codeForm().codeButton();
}

const std::shared_ptr<QMUIButton>& KKentrymaximumViewController::kkthoroughyacht() {
    if (!kkthoroughyacht_) {
        kkthoroughyacht_ = loginparts::linkButton("忘了密码", [weak = weakSelf()] {
            if (const auto self = weak.lock()) {
                self->showResetPassword();
            }
        });
        kkthoroughyacht_->titleLabel()->setFont(UIFont::systemFontOfSize(12, UIFontWeightMedium));
        kkthoroughyacht_->setTitleColor(hexColor("D73F3F"), UIControlStateNormal);
    }
    return kkthoroughyacht_;
}

const std::shared_ptr<QMUIButton>& KKentrymaximumViewController::kkinferiortribe() {
    if (!kkinferiortribe_) {
        kkinferiortribe_ = loginparts::primaryButton("登录", [weak = weakSelf()] {
            if (const auto self = weak.lock()) {
                self->login();
            }
        });
    }
    return kkinferiortribe_;
}

const std::shared_ptr<QMUIButton>& KKentrymaximumViewController::kktribenaval() {
    if (!kktribenaval_) {
        kktribenaval_ = loginparts::primaryButton("注册", [weak = weakSelf()] {
            if (const auto self = weak.lock()) {
                self->register_();
            }
        });
    }
    return kktribenaval_;
}

const std::shared_ptr<QMUIButton>& KKentrymaximumViewController::kknavalbeyond() {
    if (!kknavalbeyond_) {
        kknavalbeyond_ = loginparts::linkButton("没有账户？去注册", [weak = weakSelf()] {
            if (const auto self = weak.lock()) {
                self->showRegister();
            }
        });
    }
    return kknavalbeyond_;
}

const std::shared_ptr<QMUIButton>& KKentrymaximumViewController::kkrivalmerchant() {
    if (!kkrivalmerchant_) {
        kkrivalmerchant_ = loginparts::linkButton("有账号吗？去登录", [weak = weakSelf()] {
            if (const auto self = weak.lock()) {
                self->showLogin();
            }
        });
    }
    return kkrivalmerchant_;
}

void KKentrymaximumViewController::viewDidLoad() {
    BaseViewController::viewDidLoad();
    view()->setBackgroundColor(hexColor("1C1B20"));
    if (isLogin) {
        setupLoginUI();
    } else {
        setupRegisterUI();
    }
}

void KKentrymaximumViewController::constrainFields() {
    kkloungecandy()->snp.makeConstraints([](ConstraintMaker& make) {
        make.top.equalToSuperview().inset(15);
        make.left.equalToSuperview().inset(32);
    });
    loginparts::constrainRows(kkloungecandy());
}

void KKentrymaximumViewController::setupLoginUI() {
    view()->addSubview(kkloungecandy());
    kkloungecandy()->addArrangedSubview(kkabolishdoctrine());
    if (type == 0) {
        kkloungecandy()->addArrangedSubview(kkdoctrinepalm());
    } else {
        kkthoroughyacht()->setHidden(true);
        kkloungecandy()->addArrangedSubview(kkpalmflour());
    }
    view()->addSubview(kkthoroughyacht());
    view()->addSubview(kkinferiortribe());
    view()->addSubview(kknavalbeyond());
    constrainFields();
    kkthoroughyacht()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkloungecandy()->snp.bottom).offset(13);
        make.right.equalToSuperview().inset(32);
    });
    const bool resetHidden = kkthoroughyacht()->isHidden();
    loginparts::constrainPrimaryButton(kkinferiortribe(), kkthoroughyacht()->snp.bottom,
                                       resetHidden ? 0 : 32);
    kknavalbeyond()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkinferiortribe()->snp.bottom).offset(28);
        make.centerX.equalTo(kkinferiortribe()->snp.centerX);
    });
}

void KKentrymaximumViewController::setupRegisterUI() {
    view()->addSubview(kkloungecandy());
    kkloungecandy()->addArrangedSubview(kkabolishdoctrine());
    kkloungecandy()->addArrangedSubview(kkpalmflour());
    kkloungecandy()->addArrangedSubview(kkdoctrinepalm());
    kkloungecandy()->addArrangedSubview(kkworshipthorough());
    view()->addSubview(kktribenaval());
    view()->addSubview(kkrivalmerchant());
    constrainFields();
    loginparts::constrainPrimaryButton(kktribenaval(), kkloungecandy()->snp.bottom, 32);
    kkrivalmerchant()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kktribenaval()->snp.bottom).offset(28);
        make.centerX.equalTo(kktribenaval()->snp.centerX);
    });
}

void KKentrymaximumViewController::requestCode() {
    codeForm().requestCode(view(), [weak = weakSelf()](const JSON& captcha) {
        if (const auto self = weak.lock()) {
            self->sendCode(captcha);
        }
    });
}

void KKentrymaximumViewController::sendCode(const JSON& captcha) {
    codeForm().sendCode(view(), captcha);
}

void KKentrymaximumViewController::showResetPassword() {
    showViewController(std::make_shared<KKimportentryViewController>(), nullptr);
}

void KKentrymaximumViewController::login() {
    const std::string number = kkabolishdoctrine()->text();
    if (!loginchecks::phoneNumber(number)) {
        return;
    }
    const auto completion = [weak = weakSelf()](std::optional<JSON> json, std::optional<NSError>) {
        if (const auto self = weak.lock()) {
            self->finish(json);
        }
    };
    if (type == 0) {
        if (!loginchecks::filled(kkdoctrinepalm()->text(), "请先输入密码")) {
            return;
        }
        if (submitInFlight_ || finished_) {
            return;
        }
        submitInFlight_ = true;
        QMUITips::showLoadingInView(view());
        apiClient.login(number, kkdoctrinepalm()->text(), completion);
    } else {
        if (!loginchecks::filled(kkflourevoke()->text(), "请先输入验证码")) {
            return;
        }
        if (submitInFlight_ || finished_) {
            return;
        }
        submitInFlight_ = true;
        QMUITips::showLoadingInView(view());
        apiClient.loginMailCode(number, kkflourevoke()->text(), completion);
    }
}

void KKentrymaximumViewController::register_() {
    const std::string number = kkabolishdoctrine()->text();
    if (!loginchecks::phoneNumber(number) || !loginchecks::filled(kkflourevoke()->text(), "请先输入验证码") ||
        !loginchecks::filled(kkdoctrinepalm()->text(), "请先输入密码")) {
        return;
    }
    if (kkworshipthorough()->text() != kkdoctrinepalm()->text()) {
        QMUITips::showError("两次密码不一致");
        return;
    }
    if (submitInFlight_ || finished_) {
        return;
    }
    submitInFlight_ = true;
    QMUITips::showLoadingInView(view());
    apiClient.register_(number, kkdoctrinepalm()->text(), kkflourevoke()->text(),
                        [weak = weakSelf()](std::optional<JSON> json, std::optional<NSError>) {
                            if (const auto self = weak.lock()) {
                                self->finish(json);
                            }
                        });
}

void KKentrymaximumViewController::finish(const std::optional<JSON>& json) {
    submitInFlight_ = false;
    if (!json || !json->dictionary()) {
        return;
    }
    finished_ = true;
    userDefaults().setString(KKrearinfluence::loginDefaultsKey, KKpresentationdisease::toJSONString(*json));
    dismissViewControllerAnimated(true, [] { QMUITips::showSucceed("登录成功！"); });
}

void KKentrymaximumViewController::showRegister() {
    switchMode(false);
}

void KKentrymaximumViewController::showLogin() {
    switchMode(true);
}

void KKentrymaximumViewController::switchMode(bool toLogin) {
    const auto host = container.lock();
    if (!host) {
        return;
    }
    host->isLogin = toLogin;
    host->dataSource()->titles = {toLogin ? "密码登陆" : "注册"};
    host->segmentedView()->reloadData();
}
