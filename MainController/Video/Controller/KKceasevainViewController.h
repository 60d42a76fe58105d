#pragma once

#include "MainController/Video/Model/KKcontrastpierce.h"
#include "app/Base/BaseViewController.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>
#include <string>

// The share poster of one short video, presented full screen: a white card with the
// cover, the slogan and title, the logo and the application's name, and the QR code that
// leads to the application. "保存到相册" saves a picture of the card among the user's
// pictures; the close button dismisses the page.
class KKceasevainViewController : public BaseViewController {
  public:
    static constexpr const char* savedText = "保存到相册成功";
    static constexpr const char* failedText = "保存失败";

    // The video; set before the page is shown.
    std::shared_ptr<KKcontrastpierce> model;

    // The address of the QR code picture, on the service's own host.
    static std::string qrcodeAddress();

    const std::shared_ptr<QMUIButton>& closeButton() const { return closeButton_; }
    const std::shared_ptr<QMUIButton>& saveButton() const { return saveButton_; }
    const std::shared_ptr<UIView>& card() const { return kkaccountanttense_; }
    const std::shared_ptr<QMUILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<QMUILabel>& appName() const { return appName_; }
    const std::shared_ptr<UIImageView>& coverView() const { return coverView_; }
    const std::shared_ptr<UIImageView>& qrcodeView() const { return qrcodeView_; }

    void viewDidLoad() override;
    bool preferredNavigationBarHidden() const override { return true; }

    // Renders the card and saves it as a PNG picture; a tip says how it went.
    void saveToAlbum();

  protected:
    virtual void setupUI();
    virtual void setupData();

  private:
    std::shared_ptr<KKceasevainViewController> self();

    std::shared_ptr<QMUIButton> closeButton_;
    std::shared_ptr<QMUIButton> saveButton_;
    std::shared_ptr<UIView> kkaccountanttense_;
    std::shared_ptr<UIView> infoView_;
    std::shared_ptr<UIImageView> coverView_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<UIImageView> logoView_;
    std::shared_ptr<QMUILabel> appName_;
    std::shared_ptr<QMUILabel> infoLabel_;
    std::shared_ptr<UIImageView> qrcodeView_;
};
