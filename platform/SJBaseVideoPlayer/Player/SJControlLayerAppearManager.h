#pragma once

#include "platform/Foundation/RunLoop.h"

#include <functional>
#include <memory>
#include <vector>

class SJControlLayerAppearManager;

// Told when the controls appear or disappear.
struct SJControlLayerAppearObservation {
    std::function<void(SJControlLayerAppearManager& manager)> onAppearChanged;
};

// Whether a player's controls show. They appear on a tap and disappear by themselves
// `interval` seconds (of the run loop's clock) after they appeared or were last used,
// unless `canAutomaticallyDisappear` says no (a paused player keeps them) or they are
// kept by `keepAppearState` until `resume`. Main thread only.
class SJControlLayerAppearManager {
  public:
    SJControlLayerAppearManager() = default;
    ~SJControlLayerAppearManager();
    SJControlLayerAppearManager(const SJControlLayerAppearManager&) = delete;
    SJControlLayerAppearManager& operator=(const SJControlLayerAppearManager&) = delete;

    bool isAppeared() const { return appeared_; }
    // Seconds the controls stay without use.
    double interval() const { return interval_; }
    void setInterval(double seconds);
    // A disabled manager changes nothing by itself or on request.
    bool isDisabled() const { return disabled_; }
    void setDisabled(bool disabled);

    void needAppear();
    void needDisappear();
    void switchAppearState();
    // Keeps the controls as they are (for example while a slider is dragged)...
    void keepAppearState();
    // ...and starts the countdown again.
    void resume();
    bool isKeptAppearState() const { return kept_; }
    // Starts the countdown again unless the controls are hidden or kept.
    void restartCountdown();

    // Asked when the countdown ends; no answer means yes.
    std::function<bool(SJControlLayerAppearManager& manager)> canAutomaticallyDisappear;

    // The observation lives as long as the answer is held.
    [[nodiscard]] std::shared_ptr<SJControlLayerAppearObservation> getObserver();

  private:
    void setAppeared(bool appeared);
    void startCountdown();
    void cancelCountdown();
    void countdownEnded();

    bool appeared_ = true;
    bool disabled_ = false;
    bool kept_ = false;
    double interval_ = 5.0;
    RunLoop::TaskId countdown_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::weak_ptr<SJControlLayerAppearObservation>> observers_;
};
