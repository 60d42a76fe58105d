#pragma once

#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIView.h"

#include <memory>

// One ranked line of the search page: a small square badge with a number and a title
// beside it. Its user sets both texts and the badge colour, gives the line its height and
// attaches the tap action.
//
// The badge and the title join the line once it is owned by a shared_ptr and first used
// (either accessor, its placement in a superview, or layout): a view cannot take
// subviews while it is still being constructed.
class KKsubsequentbasically : public UIView {
  public:
    explicit KKsubsequentbasically(const CGRect& frame = CGRectZero);

    // The badge: "1" centred on red, 18 x 18 at the line's top left corner.
    const std::shared_ptr<QMUILabel>& kkinsteadaccident();
    // The title: grey, from 25 to 10 short of the line's right edge, level with the badge.
    const std::shared_ptr<QMUILabel>& title();

    void didMoveToSuperview() override;
    void layoutSubviews() override;

  private:
    void setupUI();

    std::shared_ptr<QMUILabel> kkinsteadaccident_;
    std::shared_ptr<QMUILabel> title_;
    bool uiBuilt_ = false;
};
