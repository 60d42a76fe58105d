#pragma once

#include "app/Base/BaseCells.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>

// The tile of one play source in the play-source pop-up: its type name centred on a grey
// tile, with a mark in the top-left corner for the source that is playing. The tile
// builds its views once; the pop-up sets the text, colours and mark.
class KKsavingintegrate : public BaseCollectionViewCell {
  public:
    explicit KKsavingintegrate(const CGRect& frame = CGRectZero);

    const std::shared_ptr<UIImageView>& selectIcon() const { return selectIcon_; }
    const std::shared_ptr<QMUILabel>& titleLabel() const { return titleLabel_; }

  private:
    std::shared_ptr<UIImageView> selectIcon_;
    std::shared_ptr<QMUILabel> titleLabel_;
};
