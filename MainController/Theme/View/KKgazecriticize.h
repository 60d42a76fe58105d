#pragma once

#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"
#include "platform/UIKit/UIView.h"
#include "platform/UIKit/UIVisualEffectView.h"

#include <memory>

// The head of a topic: its picture, blurred, as the background carrying the small cover,
// the name and the film count, then the introduction under "简介" and the caption "精彩电影"
// above the films. Nothing ties the block to the view's bottom: the owner sizes the view
// from the caption's frame (contentHeight). The owner writes the texts and pictures.
class KKgazecriticize : public UIView {
  public:
    // A new header, set up (views are made only by this, since setting up adds subviews).
    static std::shared_ptr<KKgazecriticize> make(const CGRect& frame = CGRectZero);
    explicit KKgazecriticize(const CGRect& frame = CGRectZero) : UIView(frame) {}

    const std::shared_ptr<UIImageView>& backgroundView();
    const std::shared_ptr<UIImageView>& kkdrainexempt();
    const std::shared_ptr<QMUILabel>& titleLabel();
    const std::shared_ptr<QMUILabel>& kkappropriatepostpone();
    const std::shared_ptr<UIView>& kkvehicleskeleton();
    const std::shared_ptr<QMUILabel>& kkskeletonfeast();
    const std::shared_ptr<QMUILabel>& kkcompetentingredient();
    const std::shared_ptr<UIView>& kkdecoratevirtue();
    const std::shared_ptr<UIView>& kkoccurmemorial();
    const std::shared_ptr<QMUILabel>& kkpostponeoccur();
    // The blur over the background picture; none until the block that setupUI() queues
    // on the main queue has run.
    const std::shared_ptr<UIVisualEffectView>& blurView() const { return blurView_; }

    void setupUI();
    // The height the header needs at `width`: the bottom of "精彩电影" plus 15, laid out now.
    CGFloat contentHeight(CGFloat width);

  private:
    void addBlur();

    std::shared_ptr<UIImageView> backgroundView_;
    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUILabel> titleLabel_;
    std::shared_ptr<QMUILabel> kkappropriatepostpone_;
    std::shared_ptr<UIView> kkvehicleskeleton_;
    std::shared_ptr<QMUILabel> kkskeletonfeast_;
    std::shared_ptr<QMUILabel> kkcompetentingredient_;
    std::shared_ptr<UIView> kkdecoratevirtue_;
    std::shared_ptr<UIView> kkoccurmemorial_;
    std::shared_ptr<QMUILabel> kkpostponeoccur_;
    std::shared_ptr<UIVisualEffectView> blurView_;
};
