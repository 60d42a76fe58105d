#pragma once

#include "MainController/Home/Cell/PosterNameCell.h"

// The fixed-size poster of a recommend shelf's horizontal strip: a 102 x 132 poster at the
// cell's top left and the name, in 12 points, below it, inset 8 on both sides. Registered
// and dequeued under its class name.
class KKassumefinance : public PosterNameCell {
  public:
    explicit KKassumefinance(const CGRect& frame = CGRectZero);

  private:
    void constrainSubviews() override;
};
