#pragma once

#include "MainController/Search/Cell/KKappealsubsequent.h"

#include <memory>

class QMUIButton;

// A row of the playback history: the list cell with a delete button at its right end.
class KKconscientiousacre : public KKappealsubsequent {
  public:
    using KKappealsubsequent::KKappealsubsequent;

    const std::shared_ptr<QMUIButton>& delBtn();

  protected:
    void setupUI() override;

  private:
    std::shared_ptr<QMUIButton> delBtn_;
};
