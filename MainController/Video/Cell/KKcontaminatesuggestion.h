#pragma once

#include "MainController/Video/Model/KKcontrastpierce.h"
#include "app/Base/BaseCells.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>

// A tile of the short-video grid: the cover over the description (two lines at most).
class KKcontaminatesuggestion : public BaseCollectionViewCell {
  public:
    using BaseCollectionViewCell::BaseCollectionViewCell;

    static std::shared_ptr<KKcontaminatesuggestion> create();

    const std::shared_ptr<UIImageView>& kkdrainexempt() const { return kkdrainexempt_; }
    const std::shared_ptr<QMUILabel>& name() const { return name_; }

    // Shows `item`: its cover (the placeholder for an address that is not a web address)
    // and its description.
    void configure(const KKcontrastpierce& item);

  protected:
    virtual void setupUI();

  private:
    std::shared_ptr<UIImageView> kkdrainexempt_;
    std::shared_ptr<QMUILabel> name_;
};
