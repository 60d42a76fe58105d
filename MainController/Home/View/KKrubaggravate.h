#pragma once

#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UIStackView.h"
#include "platform/UIKit/UIView.h"

#include <memory>
#include <vector>

// One film line of a recommendation card: a small poster, the name, five stars and the
// score. The card fills the texts, the poster and the stars; the row only lays them out.
class KKrubaggravate : public UIView {
  public:
    // A new row, set up (rows are made only by this, since setting up adds subviews).
    static std::shared_ptr<KKrubaggravate> make();
    explicit KKrubaggravate(const CGRect& frame = CGRectZero);

    const std::shared_ptr<UIImageView>& kkdrainexempt() const { return kkdrainexempt_; }
    const std::shared_ptr<QMUILabel>& title() const { return title_; }
    // Five star image views, leftmost first, each starting with the image "start".
    const std::shared_ptr<UIStackView>& kkloungecandy() const { return kkloungecandy_; }
    const std::shared_ptr<QMUILabel>& score() const { return score_; }
    const std::vector<std::shared_ptr<UIImageView>>& stars() const { return stars_; }

  private:
    void setupUI();

    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUILabel> title_;
    std::shared_ptr<UIStackView> kkloungecandy_;
    std::shared_ptr<QMUILabel> score_;
    std::vector<std::shared_ptr<UIImageView>> stars_;
};
