#include "platform/SJBaseVideoPlayer/Player/SJControlLayerAppearManager.h"

#include <cmath>

SJControlLayerAppearManager::~SJControlLayerAppearManager() {
    cancelCountdown();
}

void SJControlLayerAppearManager::setInterval(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0 || seconds == interval_) {
        return;
    }
    interval_ = seconds;
    if (countdown_ != 0) {
        startCountdown();
    }
}

void SJControlLayerAppearManager::setDisabled(bool disabled) {
    if (disabled_ == disabled) {
        return;
    }
    disabled_ = disabled;
    if (disabled_) {
        cancelCountdown();
    } else if (appeared_) {
        startCountdown();
    }
}

void SJControlLayerAppearManager::needAppear() {
    if (disabled_) {
        return;
    }
    setAppeared(true);
    startCountdown();
}

void SJControlLayerAppearManager::needDisappear() {
    if (disabled_) {
        return;
    }
    cancelCountdown();
    kept_ = false;
    setAppeared(false);
}

void SJControlLayerAppearManager::switchAppearState() {
    appeared_ ? needDisappear() : needAppear();
}

void SJControlLayerAppearManager::keepAppearState() {
    kept_ = true;
    cancelCountdown();
}

void SJControlLayerAppearManager::resume() {
    kept_ = false;
    if (appeared_ && !disabled_) {
        startCountdown();
    }
}

void SJControlLayerAppearManager::restartCountdown() {
    if (appeared_ && !kept_ && !disabled_) {
        startCountdown();
    }
}

std::shared_ptr<SJControlLayerAppearObservation> SJControlLayerAppearManager::getObserver() {
    auto observation = std::make_shared<SJControlLayerAppearObservation>();
    std::erase_if(observers_, [](const auto& observer) { return observer.expired(); });
    observers_.push_back(observation);
    return observation;
}

void SJControlLayerAppearManager::setAppeared(bool appeared) {
    if (appeared_ == appeared) {
        return;
    }
    appeared_ = appeared;
    std::weak_ptr<bool> alive = alive_;
    for (const auto& entry : std::vector(observers_)) {
        auto observer = entry.lock();
        if (observer && observer->onAppearChanged) {
            observer->onAppearChanged(*this);
            if (alive.expired()) {
                return;
            }
        }
    }
}

void SJControlLayerAppearManager::startCountdown() {
    cancelCountdown();
    if (kept_ || disabled_) {
        return;
    }
    countdown_ = RunLoop::main().post(
        [alive = std::weak_ptr<bool>(alive_), this] {
            if (!alive.expired()) {
                countdown_ = 0;
                countdownEnded();
            }
        },
        interval_);
}

void SJControlLayerAppearManager::cancelCountdown() {
    if (countdown_ != 0) {
        RunLoop::main().cancel(countdown_);
        countdown_ = 0;
    }
}

void SJControlLayerAppearManager::countdownEnded() {
    if (!appeared_ || kept_ || disabled_) {
        return;
    }
    if (canAutomaticallyDisappear && !canAutomaticallyDisappear(*this)) {
        return;
    }
    setAppeared(false);
}
