#pragma once

#include "app/Base/BaseCells.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>

class KKfinancerub;

// What the two poster cells share: a poster and the film's name below it, made with the
// cell and put in place (by the cell's own constraints) when the cell first enters a
// superview; a reused cell shows the placeholder until it is configured again.
class PosterNameCell : public BaseCollectionViewCell {
  public:
    // The poster, initially the placeholder "default_background".
    const std::shared_ptr<UIImageView>& kkdrainexempt() const { return kkdrainexempt_; }
    // The film name, initially "名字".
    const std::shared_ptr<QMUILabel>& name() const { return name_; }

    // Shows a film: its poster when "vod_pic" is a web address (otherwise the poster stays
    // as it is), and its name.
    void configure(const KKfinancerub& film);

    void prepareForReuse() override;
    void didMoveToSuperview() override;

  protected:
    // The name in a medium system font of `nameFontSize`.
    PosterNameCell(const CGRect& frame, double nameFontSize);
    // Constrains the poster and the name, once both are in the cell.
    virtual void constrainSubviews() = 0;

  private:
    void setupUI();

    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUILabel> name_;
    bool setUp_ = false;
};
