#pragma once

#include "app/Base/BaseCells.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>

class KKfinancerub;

// The fixed-size poster of a recommend shelf's horizontal strip: a 102 x 132 poster at the
// cell's top left and the name below it, inset 8 on both sides. Registered and dequeued
// under its class name; the subviews are made with the cell and put in place when the cell
// first enters a superview.
class KKassumefinance : public BaseCollectionViewCell {
  public:
    explicit KKassumefinance(const CGRect& frame = CGRectZero);

    // The poster, initially the placeholder "default_background".
    const std::shared_ptr<UIImageView>& kkdrainexempt() const { return kkdrainexempt_; }
    // The film name, initially "名字".
    const std::shared_ptr<QMUILabel>& name() const { return name_; }

    // Shows a film: its poster when "vod_pic" is a web address (otherwise the poster stays
    // as it is), and its name.
    void configure(const KKfinancerub& film);

    void prepareForReuse() override;
    void didMoveToSuperview() override;

  private:
    void setupUI();

    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUILabel> name_;
    bool setUp_ = false;
};
