#pragma once

#include "MainController/Video/Cell/KKsuggestionpreparation.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"

#include <memory>

// The feed's cell: the player page of KKsuggestionpreparation under an overlay with the
// title, the collection's name, the description and the "查看全集" and "分享" buttons.
// The buttons show only when "showAD" was on when the cell was made.
class KKlenscontaminate : public KKsuggestionpreparation {
  public:
    using KKsuggestionpreparation::KKsuggestionpreparation;

    static std::shared_ptr<KKlenscontaminate> create(const CGRect& frame = CGRectZero);

    const std::shared_ptr<QMUILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<QMUIButton>& allButton() const { return allButton_; }
    const std::shared_ptr<QMUIButton>& shareButton() const { return shareButton_; }
    const std::shared_ptr<QMUILabel>& nameLabel() const { return nameLabel_; }
    const std::shared_ptr<QMUILabel>& descLabel() const { return descLabel_; }

  protected:
    virtual void setupUI();

  private:
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<QMUIButton> allButton_;
    std::shared_ptr<QMUIButton> shareButton_;
    std::shared_ptr<QMUILabel> nameLabel_;
    std::shared_ptr<QMUILabel> descLabel_;
};
