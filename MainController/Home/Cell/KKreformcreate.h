#pragma once

#include "app/Base/BaseCells.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUIButton.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UIStackView.h"

#include <memory>

// A recommendation card of the recommend page's first row: a picture under a dark-to-light
// gradient, the card's title and one rating row per film; a tapped film opens its
// resource list. Subviews are made with the cell and put in place when it first enters a
// superview.
class KKreformcreate : public BaseCollectionViewCell {
  public:
    explicit KKreformcreate(const CGRect& frame = CGRectZero);

    const std::shared_ptr<UIImageView>& kkdrainexempt() const { return kkdrainexempt_; }
    const std::shared_ptr<QMUILabel>& title() const { return title_; }
    const std::shared_ptr<UIStackView>& kkloungecandy() const { return kkloungecandy_; }
    const std::shared_ptr<QMUIButton>& moreBtn() const { return moreBtn_; }

    // Shows one card object ("bgpic", "rec_name", "list"), replacing every film row of the
    // card shown before.
    void configure(const JSON& card);

    void prepareForReuse() override;
    void didMoveToSuperview() override;

  private:
    void setupUI();

    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUILabel> title_;
    std::shared_ptr<UIStackView> kkloungecandy_;
    std::shared_ptr<QMUIButton> moreBtn_;
    bool setUp_ = false;
};
