#pragma once

#include "app/Base/BaseViewController.h"
#include "platform/Foundation/JSON.h"
#include "platform/Foundation/NSError.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>
#include <optional>
#include <string>

// "个人信息": the signed-in member's avatar, nickname (a tap opens the nickname page) and
// username, and "退出登录". Filled from the stored "login" whenever it appears. Signing out
// asks first, tells the service, stores a fresh tourist in place of the member and goes
// back to the root; when no tourist comes the member stays stored and the page says so.
class KKinterimspatialViewController : public BaseViewController {
  public:
    const std::shared_ptr<UIImageView>& kkinnumerablesummary();
    const std::shared_ptr<QMUILabel>& kksummaryobey();
    const std::shared_ptr<QMUILabel>& kkobeypore();
    const std::shared_ptr<QMUIButton>& kkporeswing();
    const std::shared_ptr<UIView>& nameLineView();
    const std::shared_ptr<QMUILabel>& kkswingweb();
    const std::shared_ptr<QMUILabel>& kkwebdramatic();
    const std::shared_ptr<UIView>& mailLineView();
    const std::shared_ptr<QMUIButton>& logoutBtn();

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void setupUI();
    void confirmLogout();
    void kkdramaticlikewise() { confirmLogout(); }

  private:
    std::weak_ptr<KKinterimspatialViewController> weakSelf();
    void fill();
    void logout();
    void signInAsTourist();
    // The tourist replaced the member: back to the root.
    void signedOut();
    // No tourist came for the sign-out; once the client's own renewal has ended, the page
    // says what is stored: signed out when a tourist replaced the member, else the failure.
    void touristFailed(const std::optional<NSError>& error);
    // Stores a tourist's answer under "login" (replacing the member); false when the
    // answer is no user.
    static bool storeTourist(std::optional<JSON> tourist, std::optional<NSError> error);

    std::shared_ptr<UIImageView> kkinnumerablesummary_;
    std::shared_ptr<QMUILabel> kksummaryobey_;
    std::shared_ptr<QMUILabel> kkobeypore_;
    std::shared_ptr<QMUIButton> kkporeswing_;
    std::shared_ptr<UIView> nameLineView_;
    std::shared_ptr<QMUILabel> kkswingweb_;
    std::shared_ptr<QMUILabel> kkwebdramatic_;
    std::shared_ptr<UIView> mailLineView_;
    std::shared_ptr<QMUIButton> logoutBtn_;
    bool loggingOut_ = false;
    // The service ended the member's session; the tourist that replaces it has not come.
    bool sessionEnded_ = false;
    // The stored login of the member signing out.
    std::optional<std::string> member_;
};
