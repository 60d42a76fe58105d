#include "platform/SJBaseVideoPlayer/Playback/SJMediaPlaybackController.h"

#include "platform/Foundation/DispatchQueue.h"

#include <cmath>

namespace {

SJAssetStatus assetStatusOf(MediaEnginePhase phase) {
    switch (phase) {
    case MediaEnginePhase::Idle:
        return SJAssetStatusUnknown;
    case MediaEnginePhase::Loading:
        return SJAssetStatusPreparing;
    case MediaEnginePhase::Ready:
        return SJAssetStatusReadyToPlay;
    case MediaEnginePhase::Failed:
        return SJAssetStatusFailed;
    }
    return SJAssetStatusUnknown;
}

} // namespace

SJMediaPlaybackController::~SJMediaPlaybackController() = default;

void SJMediaPlaybackController::applyVolume(double volume, bool muted) {
    engine().setVolume(volume);
    engine().setMuted(muted);
}

void SJMediaPlaybackController::applySeek(double seconds, std::function<void(bool)> completion) {
    engine().seek(seconds, std::move(completion));
}

void SJMediaPlaybackController::setMedia(std::shared_ptr<SJVideoPlayerURLAsset> media) {
    if (media == media_) {
        return;
    }
    ++mediaSerial_;
    media_ = std::move(media);
    everPlayed_ = false;
    if (!media_) {
        stop();
        return;
    }
    if (!paused_) {
        paused_ = true;
        applyPaused(true);
    }
    open(media_->startPosition());
}

void SJMediaPlaybackController::open(double startPosition) {
    finished_ = false;
    error_.reset();
    errorDescription_.clear();
    frame_.reset();
    if (auto refusal = mediaURLRefusal(media_->mediaURL(), MediaURLScope::Network)) {
        if (engineLoaded_) {
            engineLoaded_ = false;
            applyStop();
        }
        MediaEngineState preparing;
        preparing.phase = MediaEnginePhase::Loading;
        update(preparing);
        // The failure is told on a later turn of the main queue, as an engine's would be,
        // so that the caller's own set-up after setting the media runs first.
        DispatchQueue::main().async(
            [weakAlive = std::weak_ptr<bool>(alive_), this, serial = mediaSerial_, reason = *refusal] {
                if (!weakAlive.expired() && serial == mediaSerial_) {
                    refuse(reason);
                }
            });
        return;
    }
    engineLoaded_ = true;
    const MediaRequest request =
        makeMediaRequest(media_->mediaURL(), startPosition, media_->httpHeaderFields());
    load(request, *media_);
    engineStateDidChange();
}

void SJMediaPlaybackController::refuse(const std::string& reason) {
    MediaEngineState failed;
    failed.phase = MediaEnginePhase::Failed;
    failed.errorDescription = reason;
    error_ = NSError{SJMediaPlaybackErrorDomain, SJMediaPlaybackErrorRefusedAddress};
    errorDescription_ = reason;
    update(failed);
}

void SJMediaPlaybackController::play() {
    everPlayed_ = true;
    if (finished_) {
        replay();
        return;
    }
    if (!paused_) {
        return;
    }
    paused_ = false;
    applyPaused(false);
    updateTimeControlStatus();
}

void SJMediaPlaybackController::pause() {
    if (paused_) {
        return;
    }
    paused_ = true;
    applyPaused(true);
    updateTimeControlStatus();
}

void SJMediaPlaybackController::stop() {
    ++mediaSerial_;
    media_.reset();
    frame_.reset();
    finished_ = false;
    error_.reset();
    errorDescription_.clear();
    if (engineLoaded_) {
        engineLoaded_ = false;
        applyStop();
    }
    update(MediaEngineState{});
}

void SJMediaPlaybackController::replay() {
    if (!media_) {
        return;
    }
    everPlayed_ = true;
    // Also when not paused: an engine may have paused itself at the end.
    paused_ = false;
    applyPaused(false);
    if (assetStatus_ == SJAssetStatusFailed || !engineLoaded_) {
        open(0);
        return;
    }
    finished_ = false;
    engineState_.position = 0;
    applySeek(0, {});
    updateTimeControlStatus();
}

void SJMediaPlaybackController::seekToTime(double seconds,
                                           std::function<void(bool finished)> completionHandler) {
    if (assetStatus_ != SJAssetStatusReadyToPlay || !std::isfinite(seconds)) {
        if (completionHandler) {
            DispatchQueue::main().async(
                [completionHandler = std::move(completionHandler)] { completionHandler(false); });
        }
        return;
    }
    finished_ = false;
    engineState_.position = seconds < 0 ? 0 : seconds;
    applySeek(seconds, std::move(completionHandler));
    if (tell(&SJMediaPlaybackControllerDelegate::currentTimeDidChange)) {
        updateTimeControlStatus();
    }
}

void SJMediaPlaybackController::setRate(double rate) {
    if (!std::isfinite(rate) || rate <= 0 || rate == rate_) {
        return;
    }
    rate_ = rate;
    applyRate(rate);
    tell(&SJMediaPlaybackControllerDelegate::rateDidChange);
}

void SJMediaPlaybackController::setVolume(double volume) {
    volume = std::isfinite(volume) ? std::fmin(1.0, std::fmax(0.0, volume)) : 0.0;
    if (volume == volume_) {
        return;
    }
    volume_ = volume;
    applyVolume(volume_, muted_);
    tell(&SJMediaPlaybackControllerDelegate::volumeDidChange);
}

void SJMediaPlaybackController::setMuted(bool muted) {
    if (muted == muted_) {
        return;
    }
    muted_ = muted;
    applyVolume(volume_, muted_);
    tell(&SJMediaPlaybackControllerDelegate::mutedDidChange);
}

double SJMediaPlaybackController::currentTime() const {
    return media_ ? engineState_.position : 0;
}

SJPlaybackStatus SJMediaPlaybackController::status() const {
    if (!media_) {
        return SJPlaybackStatus::Unknown;
    }
    switch (assetStatus_) {
    case SJAssetStatusUnknown:
        return SJPlaybackStatus::Unknown;
    case SJAssetStatusFailed:
        return SJPlaybackStatus::Failed;
    case SJAssetStatusPreparing:
        return paused_ ? SJPlaybackStatus::Preparing : SJPlaybackStatus::Buffering;
    case SJAssetStatusReadyToPlay:
        break;
    }
    if (finished_) {
        return SJPlaybackStatus::Finished;
    }
    if (paused_) {
        return everPlayed_ ? SJPlaybackStatus::Paused : SJPlaybackStatus::Ready;
    }
    return timeControlStatus_ == SJPlaybackTimeControlStatusPlaying ? SJPlaybackStatus::Playing
                                                                    : SJPlaybackStatus::Buffering;
}

void SJMediaPlaybackController::engineStateDidChange() {
    if (!engineLoaded_) {
        return;
    }
    const MediaEngineState& state = engine().state();
    if (state.phase == MediaEnginePhase::Failed && assetStatus_ != SJAssetStatusFailed) {
        error_ = NSError{SJMediaPlaybackErrorDomain, SJMediaPlaybackErrorFailedToPlay};
        errorDescription_ = state.errorDescription;
    }
    update(state);
}

void SJMediaPlaybackController::engineFrameDidChange() {
    if (engineLoaded_) {
        frame_ = engine().latestFrame();
        tell(&SJMediaPlaybackControllerDelegate::frameDidChange);
    }
}

template <typename Method> bool SJMediaPlaybackController::tell(Method method) {
    auto delegate = delegate_.lock();
    if (!delegate) {
        return true;
    }
    std::weak_ptr<bool> alive = alive_;
    ((*delegate).*method)(*this);
    return !alive.expired();
}

// Takes over what the engine saw and tells the delegate what changed, in the order a
// player relies on: status first, then the values, then the time-control status, then
// the end of play. A delegate may destroy the controller from any call.
void SJMediaPlaybackController::update(const MediaEngineState& state) {
    const MediaEngineState previous = engineState_;
    engineState_ = state;
    const SJAssetStatus assetStatus = assetStatusOf(state.phase);
    const bool assetStatusChanged = assetStatus != assetStatus_;
    assetStatus_ = assetStatus;
    const bool reachedEnd = state.ended && !finished_ && assetStatus == SJAssetStatusReadyToPlay;
    if (state.phase != MediaEnginePhase::Ready || !state.ended) {
        finished_ = false;
    }
    if (reachedEnd) {
        finished_ = true;
    }
    using Delegate = SJMediaPlaybackControllerDelegate;
    if (assetStatusChanged && !tell(&Delegate::assetStatusDidChange)) {
        return;
    }
    if (state.duration != previous.duration && !tell(&Delegate::durationDidChange)) {
        return;
    }
    if ((state.presentationWidth != previous.presentationWidth ||
         state.presentationHeight != previous.presentationHeight) &&
        !tell(&Delegate::presentationSizeDidChange)) {
        return;
    }
    if (state.bufferedPosition != previous.bufferedPosition && !tell(&Delegate::playableDurationDidChange)) {
        return;
    }
    if (state.position != previous.position && !tell(&Delegate::currentTimeDidChange)) {
        return;
    }
    std::weak_ptr<bool> alive = alive_;
    updateTimeControlStatus();
    if (alive.expired()) {
        return;
    }
    if (reachedEnd) {
        tell(&Delegate::playbackDidFinish);
    }
}

void SJMediaPlaybackController::updateTimeControlStatus() {
    SJPlaybackTimeControlStatus status = SJPlaybackTimeControlStatusPlaying;
    if (paused_ || !media_ || finished_ || assetStatus_ == SJAssetStatusFailed ||
        assetStatus_ == SJAssetStatusUnknown) {
        status = SJPlaybackTimeControlStatusPaused;
    } else if (assetStatus_ == SJAssetStatusPreparing || engineState_.buffering) {
        status = SJPlaybackTimeControlStatusWaitingToPlay;
    }
    if (status == timeControlStatus_) {
        return;
    }
    timeControlStatus_ = status;
    tell(&SJMediaPlaybackControllerDelegate::timeControlStatusDidChange);
}
