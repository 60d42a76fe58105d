#pragma once

#include "app/Base/BaseViewController.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUITextField.h"

#include <memory>

// "编辑昵称": the stored nickname in a field (the keyboard opens at once) and "保存", which
// sends the new name, fetches the member's record again, stores it under "login" and goes
// back to the account page.
class KKprescriptioninterimViewController : public BaseViewController {
  public:
    const std::shared_ptr<QMUITextField>& nickName();
    const std::shared_ptr<UIView>& kkdecoratevirtue();
    const std::shared_ptr<QMUIButton>& saveBtn();

    void viewDidLoad() override;
    void setupUI();
    void saveNickName();
    void kkdiscountspokesman() { saveNickName(); }

  private:
    std::weak_ptr<KKprescriptioninterimViewController> weakSelf();
    void refreshUser();

    std::shared_ptr<QMUITextField> nickName_;
    std::shared_ptr<UIView> kkdecoratevirtue_;
    std::shared_ptr<QMUIButton> saveBtn_;
    bool saving_ = false;
};
