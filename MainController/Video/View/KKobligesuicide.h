#pragma once

#include "platform/UIKit/UIStackView.h"
#include "platform/UIKit/UIView.h"

#include <cstddef>
#include <memory>

// The playback-rate panel: a faintly dimmed overlay over the player with a dark column
// at the right edge listing six speeds, fastest first. It is made off screen; show()
// slides the column in, hide() slides it out and removes the panel. A tap on the overlay
// hides it. The page marks the speed in use and decides what a speed button does.
class KKobligesuicide : public UIView {
  public:
    static constexpr CGFloat columnWidth = 200;
    static constexpr std::size_t rateCount = 6;

    static std::shared_ptr<KKobligesuicide> make();
    KKobligesuicide() = default;

    // The rate a button position stands for; every position past the last one means 0.5.
    static float rateAt(std::size_t position);

    const std::shared_ptr<UIView>& kkcurrencyguidance() const { return kkcurrencyguidance_; }
    const std::shared_ptr<UIView>& kkaccountanttense() const { return kkaccountanttense_; }
    // The column of speed buttons, top to bottom.
    const std::shared_ptr<UIStackView>& kkloungecandy() const { return kkloungecandy_; }

    // Slides the column in (0.3 s).
    void show();
    // Slides the column out (0.3 s), then removes the panel from its superview.
    void hide();

  private:
    void setupUI();
    void makeRateButtons();
    void slide(CGFloat rightInset, std::function<void(bool)> completion);

    std::shared_ptr<UIView> kkcurrencyguidance_;
    std::shared_ptr<UIView> kkaccountanttense_;
    std::shared_ptr<UIStackView> kkloungecandy_;
};
