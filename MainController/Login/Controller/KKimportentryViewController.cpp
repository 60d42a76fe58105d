#include "MainController/Login/Controller/KKimportentryViewController.h"

#include "MainController/Login/View/KKfigurerip.h"
#include "MainController/Login/View/LoginFormParts.h"
#include "app/Constants/ModuleConstants.h"
#include "app/Extensions/UIColorExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"
#include "app/Network/KKriplog.h"
#include "platform/QMUIKit/QMUITips.h"
#include "platform/SnapKit/ConstraintMaker.h"

namespace {

constexpr const char* kInvalidNumber = "请先输入正确的手机号";

} // namespace

std::weak_ptr<KKimportentryViewController> KKimportentryViewController::weakSelf() {
    return std::static_pointer_cast<KKimportentryViewController>(shared_from_this());
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
    if (!kkabolishdoctrine_) {
        kkabolishdoctrine_ = loginparts::textField("手机号", false);
    }
    return kkabolishdoctrine_;
}

const std::shared_ptr<QMUITextField>& KKimportentryViewController::kkdoctrinepalm() {
    if (!kkdoctrinepalm_) {
        kkdoctrinepalm_ = loginparts::textField("输入新密码", true);
    }
    return kkdoctrinepalm_;
}

const std::shared_ptr<UIStackView>& KKimportentryViewController::kkpalmflour() {
    if (!kkpalmflour_) {
        kkpalmflour_ = loginparts::stack(UILayoutConstraintAxis::horizontal, 12);
    }
    return kkpalmflour_;
}

const std::shared_ptr<QMUITextField>& KKimportentryViewController::kkflourevoke() {
    if (!kkflourevoke_) {
        kkflourevoke_ = loginparts::textField("输入验证码", false);
    }
    return kkflourevoke_;
}

const std::shared_ptr<QMUIButton>& KKimportentryViewController::kkevokefade() {
    if (!kkevokefade_) {
        kkevokefade_ = loginparts::codeButton([weak = weakSelf()] {
            if (const auto self = weak.lock()) {
                self->requestCode();
            }
        });
        countdown_ = std::make_unique<CodeCountdown>(kkevokefade_);
    }
    return kkevokefade_;
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
    kkpalmflour()->addArrangedSubview(kkflourevoke());
    kkpalmflour()->addArrangedSubview(kkevokefade());
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
    for (const auto& arranged : kkloungecandy()->arrangedSubviews()) {
        arranged->snp.makeConstraints([](ConstraintMaker& make) {
            make.height.equalTo(54);
            make.width.equalTo(screenWidth() - 64);
        });
    }
    kkevokefade()->snp.makeConstraints([](ConstraintMaker& make) { make.width.equalTo(112); });
    for (const auto& arranged : kkpalmflour()->arrangedSubviews()) {
        arranged->snp.makeConstraints([](ConstraintMaker& make) { make.height.equalTo(54); });
    }
    kkreignunion()->snp.makeConstraints([this](ConstraintMaker& make) {
        make.top.equalTo(kkloungecandy()->snp.bottom).offset(32);
        make.centerX.equalToSuperview();
        make.width.equalTo(214);
        make.height.equalTo(54);
    });
}

void KKimportentryViewController::requestCode() {
    if (!KKpresentationdisease::isPhoneNumber(kkabolishdoctrine()->text())) {
        QMUITips::showError(kInvalidNumber);
        return;
    }
    if (codeInFlight_) {
        return;
    }
    view()->endEditing(true);
    const auto window = keyWindow();
    if (!window) {
        return;
    }
    const auto overlay = KKfigurerip::make(screenBounds());
    window->addSubview(overlay);
    overlay->getResult = [weak = weakSelf()](const JSON& captcha) {
        if (const auto self = weak.lock()) {
            self->sendCode(captcha);
        }
    };
}

void KKimportentryViewController::sendCode(const JSON& captcha) {
    const std::string number = kkabolishdoctrine()->text();
    if (!KKpresentationdisease::isPhoneNumber(number)) {
        QMUITips::showError(kInvalidNumber);
        return;
    }
    if (codeInFlight_) {
        return;
    }
    codeInFlight_ = true;
    QMUITips::showLoadingInView(view());
    apiClient.sendMail(number, captcha["randstr"].stringValue(), captcha["ticket"].stringValue(), "forgotPwd",
                       [weak = weakSelf()](std::optional<JSON> json, std::optional<NSError>) {
                           const auto self = weak.lock();
                           if (!self) {
                               return;
                           }
                           self->codeInFlight_ = false;
                           if (!json) {
                               return;
                           }
                           QMUITips::showSucceed("验证码获取成功");
                           self->kkevokefade();
                           self->countdown_->start();
                       });
}

void KKimportentryViewController::submit() {
    const std::string number = kkabolishdoctrine()->text();
    if (!KKpresentationdisease::isPhoneNumber(number)) {
        QMUITips::showError(kInvalidNumber);
        return;
    }
    if (kkflourevoke()->text().empty()) {
        QMUITips::showError("请先输入验证码");
        return;
    }
    if (kkdoctrinepalm()->text().empty()) {
        QMUITips::showError("请先输入密码");
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
