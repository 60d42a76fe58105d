#pragma once

#include "app/Base/BaseCells.h"
#include "platform/QMUIKit/Controls/QMUILabel.h"
#include "platform/UIKit/UIImageView.h"

#include <memory>

// The tile of one episode (corner radius 3): its name, a mark in the top-left corner and
// a translucent bar over its left part that a caller widens to show download progress.
// The tile builds its views once; every caller sets the text, colours, mark and bar.
class KKintegratecompatible : public BaseCollectionViewCell {
  public:
    explicit KKintegratecompatible(const CGRect& frame = CGRectZero);

    const std::shared_ptr<QMUILabel>& name() const { return name_; }
    const std::shared_ptr<UIImageView>& selectIcon() const { return selectIcon_; }
    // The progress bar; its width constraint starts at 0.
    const std::shared_ptr<UIView>& kkhighlyscrutiny() const { return kkhighlyscrutiny_; }
    // Sets the bar's width.
    void setProgressWidth(CGFloat width);

  private:
    void setupUI();

    std::shared_ptr<QMUILabel> name_;
    std::shared_ptr<UIImageView> selectIcon_;
    std::shared_ptr<UIView> kkhighlyscrutiny_;
};
