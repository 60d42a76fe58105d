#pragma once

#include "MainController/Home/Cell/PosterNameCell.h"

// The poster cell of the film grids (library, category page, more-list): the poster fills
// the cell's width and its height less a 28-point band, where the name, in 14 points, sits
// centred. Registered and dequeued under its class name.
class KKcreatesymphony : public PosterNameCell {
  public:
    explicit KKcreatesymphony(const CGRect& frame = CGRectZero);

  private:
    void constrainSubviews() override;
};
