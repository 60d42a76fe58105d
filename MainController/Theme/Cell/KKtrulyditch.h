#pragma once

#include "app/Base/BaseCells.h"
#include "platform/Foundation/JSON.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>

// A topic as a full-width picture card: the cover with a dark fade from the top, the
// topic's name, and its film count between two decorative strokes. The subviews are made
// with the cell and put in place when the cell first enters a superview.
class KKtrulyditch : public BaseCollectionViewCell {
  public:
    // A card's height: 216 points on a phone, 316 on a tablet.
    static CGFloat cardHeight();

    explicit KKtrulyditch(const CGRect& frame = CGRectZero);

    const std::shared_ptr<UIImageView>& kkdrainexempt() const { return kkdrainexempt_; }
    const std::shared_ptr<QMUILabel>& name() const { return name_; }
    const std::shared_ptr<UIImageView>& leftLine() const { return leftLine_; }
    const std::shared_ptr<QMUILabel>& count() const { return count_; }
    const std::shared_ptr<UIImageView>& rightLine() const { return rightLine_; }

    // Shows one topic of the service's list ("topic_name", "topic_pic", "vod_num").
    void configure(const JSON& topic);

    void prepareForReuse() override;
    void didMoveToSuperview() override;

  private:
    void setupUI();

    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUILabel> name_;
    std::shared_ptr<UIImageView> leftLine_;
    std::shared_ptr<QMUILabel> count_;
    std::shared_ptr<UIImageView> rightLine_;
    bool setUp_ = false;
};
