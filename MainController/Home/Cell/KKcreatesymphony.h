#pragma once

#include "app/Base/BaseCells.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>

class KKfinancerub;

// The poster cell of the film grids (library, category page, more-list): the poster fills
// the cell's width and its height less a 28-point band, where the name sits centred.
// Registered and dequeued under its class name; the subviews are made with the cell and
// put in place when the cell first enters a superview.
class KKcreatesymphony : public BaseCollectionViewCell {
  public:
    explicit KKcreatesymphony(const CGRect& frame = CGRectZero);

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
