#pragma once

#include "MainController/Search/Cell/KKappealsubsequent.h"

#include <memory>

class QMUIButton;

// A row of the favourites: the list cell with the collect button, shown selected, at its
// right end.
class KKcrippleconscientious : public KKappealsubsequent {
  public:
    using KKappealsubsequent::KKappealsubsequent;

    const std::shared_ptr<QMUIButton>& kkpettyverdict();

  protected:
    void setupUI() override;

  private:
    std::shared_ptr<QMUIButton> kkpettyverdict_;
};
