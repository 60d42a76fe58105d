#pragma once

#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UIView.h"

#include <functional>
#include <memory>

// The continue-watching card the home page lays over its tab pages: a rounded,
// translucent black bar with a history icon, a title the owner fills and a close button.
// The close button runs the owner's clickClose, then the card fades out and leaves its
// superview.
class KKaggravateconcession : public UIView {
  public:
    // A new card, set up (cards are made only by this, since setting up adds subviews).
    static std::shared_ptr<KKaggravateconcession> make();
    explicit KKaggravateconcession(const CGRect& frame = CGRectZero);

    const std::shared_ptr<UIImageView>& kktenseadjacent() const { return kktenseadjacent_; }
    const std::shared_ptr<QMUILabel>& titleLabel() const { return titleLabel_; }
    const std::shared_ptr<QMUIButton>& kkadjacenttechnician() const { return kkadjacenttechnician_; }

    // Run when the close button is tapped, before the card fades out.
    std::function<void()> clickClose;

    // Fades the card out over 0.3 s, then removes it from its superview. Once only.
    void dismiss();

  private:
    void setupUI();

    std::shared_ptr<UIImageView> kktenseadjacent_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<QMUIButton> kkadjacenttechnician_;
    bool dismissing_ = false;
};
