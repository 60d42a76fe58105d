#pragma once

#include "MainController/Login/View/CodeFormPart.h"
#include "app/Base/BaseViewController.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"
#include "platform/UIKit/UIStackView.h"

#include <memory>

// "忘了密码": a new password for the account of a number, with a code sent after the
// captcha. A successful reset only says so; the page stays and nobody is signed in.
class KKimportentryViewController : public BaseViewController {
  public:
    const std::shared_ptr<QMUILabel>& kkjeopardizegallon();
    const std::shared_ptr<UIStackView>& kkloungecandy();
    const std::shared_ptr<QMUITextField>& kkabolishdoctrine();
    const std::shared_ptr<QMUITextField>& kkdoctrinepalm();
    const std::shared_ptr<UIStackView>& kkpalmflour();
    const std::shared_ptr<QMUITextField>& kkflourevoke();
    const std::shared_ptr<QMUIButton>& kkevokefade();
    const std::shared_ptr<QMUIButton>& kkreignunion();
    std::shared_ptr<Timer> timer() const { return codeForm_ ? codeForm_->timer() : nullptr; }

    void viewDidLoad() override;
    void setupUI();
    void requestCode();
    void sendCode(const JSON& captcha);
    void submit();

  private:
    std::weak_ptr<KKimportentryViewController> weakSelf();
    // The number field, the code row and the code request for a password reset.
    CodeFormPart& codeForm();

    std::shared_ptr<QMUILabel> kkjeopardizegallon_;
    std::shared_ptr<UIStackView> kkloungecandy_;
    std::shared_ptr<QMUITextField> kkdoctrinepalm_;
    std::shared_ptr<QMUIButton> kkreignunion_;
    std::shared_ptr<CodeFormPart> codeForm_;
    bool submitInFlight_ = false;
};
