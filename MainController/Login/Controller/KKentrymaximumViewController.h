#pragma once

#include "MainController/Login/View/CodeFormPart.h"
#include "app/Base/BaseViewController.h"
#include "platform/Foundation/JSON.h"
#include "platform/Foundation/NSError.h"
#include "platform/JXSegmentedView/JXSegmentedListContainerView.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/UIKit/UIStackView.h"

#include <memory>
#include <optional>

class KKmaximumdefyViewController;

// The sign-in and registration form, the one page of the login container. Sign-in: number
// and password, "忘了密码" and the way to registration. Registration: number, a code sent
// after the captcha, password and confirmation, and the way back. On success the service's
// user is stored under "login" and the whole login container closes.
class KKentrymaximumViewController : public BaseViewController,
                                     public JXSegmentedListContainerViewListDelegate {
  public:
    const std::shared_ptr<UIStackView>& kkloungecandy();
    const std::shared_ptr<QMUITextField>& kkabolishdoctrine();
    const std::shared_ptr<QMUITextField>& kkdoctrinepalm();
    const std::shared_ptr<QMUITextField>& kkworshipthorough();
    const std::shared_ptr<UIStackView>& kkpalmflour();
    const std::shared_ptr<QMUITextField>& kkflourevoke();
    const std::shared_ptr<QMUIButton>& kkevokefade();
    const std::shared_ptr<QMUIButton>& kkthoroughyacht();
    const std::shared_ptr<QMUIButton>& kkinferiortribe();
    const std::shared_ptr<QMUIButton>& kktribenaval();
    const std::shared_ptr<QMUIButton>& kknavalbeyond();
    const std::shared_ptr<QMUIButton>& kkrivalmerchant();

    // Set by the container before the view loads.
    bool isLogin = true;
    // 0: number and password; otherwise number and code.
    long type = 0;
    // The container that shows this form (for the mode switch).
    std::weak_ptr<KKmaximumdefyViewController> container;

    // The running code countdown's timer, if any.
    std::shared_ptr<Timer> timer() const { return codeForm_ ? codeForm_->timer() : nullptr; }

    void viewDidLoad() override;
    void setupLoginUI();
    void setupRegisterUI();
    void requestCode();
    void sendCode(const JSON& captcha);
    void showResetPassword();
    void login();
    void register_();
    void showRegister();
    void showLogin();
    std::shared_ptr<UIView> listView() override { return view(); }

  private:
    std::weak_ptr<KKentrymaximumViewController> weakSelf();
    // The number field, the code row and the code request: made on first use, once the
    // container has set `isLogin`, which decides what the code is for.
    CodeFormPart& codeForm();
    void finish(const std::optional<JSON>& json);
    void switchMode(bool toLogin);
    void constrainFields();

    std::shared_ptr<UIStackView> kkloungecandy_;
    std::shared_ptr<QMUITextField> kkdoctrinepalm_;
    std::shared_ptr<QMUITextField> kkworshipthorough_;
    std::shared_ptr<QMUIButton> kkthoroughyacht_;
    std::shared_ptr<QMUIButton> kkinferiortribe_;
    std::shared_ptr<QMUIButton> kktribenaval_;
    std::shared_ptr<QMUIButton> kknavalbeyond_;
    std::shared_ptr<QMUIButton> kkrivalmerchant_;
    std::shared_ptr<CodeFormPart> codeForm_;
    // A sign-in or registration request is on its way: a second tap sends nothing.
    bool submitInFlight_ = false;
    bool finished_ = false;
};
