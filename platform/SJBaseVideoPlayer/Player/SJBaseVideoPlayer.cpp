#include "platform/SJBaseVideoPlayer/Player/SJBaseVideoPlayer.h"

#include "platform/Foundation/DispatchQueue.h"
#include "platform/SJBaseVideoPlayer/Playback/SJAVMediaPlaybackController.h"
#include "platform/UIKit/Controllers/UIApplication.h"

#include <algorithm>
#include <cmath>

namespace {

// Media seconds between two time reports while time moves.
constexpr double kTimeReportStep = 0.5;
// The media a drag across the whole player covers, at most.
constexpr double kLongestSeekDrag = 600;

// A view whose subviews all take its whole bounds.
class FillingView : public UIView {
  public:
    using UIView::UIView;

    void layoutSubviews() override {
        UIView::layoutSubviews();
        for (const auto& subview : subviews()) {
            if (subview->translatesAutoresizingMaskIntoConstraints()) {
                subview->setFrame(bounds());
            }
        }
    }
};

} // namespace

// Hands the playback controller's news to the player.
class SJBaseVideoPlayer::ControllerListener : public SJMediaPlaybackControllerDelegate {
  public:
    explicit ControllerListener(SJBaseVideoPlayer& player) : player_(player) {}

    void assetStatusDidChange(SJMediaPlaybackController&) override { player_.assetStatusDidChange(); }
    void timeControlStatusDidChange(SJMediaPlaybackController&) override {
        player_.timeControlStatusDidChange();
    }
    void durationDidChange(SJMediaPlaybackController&) override {
        player_.tell(&SJPlaybackObservation::durationDidChangeExeBlock);
    }
    void currentTimeDidChange(SJMediaPlaybackController&) override { player_.currentTimeDidChange(); }
    void playableDurationDidChange(SJMediaPlaybackController&) override {
        player_.tell(&SJPlaybackObservation::playableDurationDidChangeExeBlock);
    }
    void presentationSizeDidChange(SJMediaPlaybackController&) override {
        player_.tell(&SJPlaybackObservation::presentationSizeDidChangeExeBlock);
    }
    void volumeDidChange(SJMediaPlaybackController&) override {
        player_.tell(&SJPlaybackObservation::volumeDidChangeExeBlock);
    }
    void mutedDidChange(SJMediaPlaybackController&) override {
        player_.tell(&SJPlaybackObservation::mutedDidChangeExeBlock);
    }
    void playbackDidFinish(SJMediaPlaybackController&) override { player_.playbackDidFinish(); }
    void frameDidChange(SJMediaPlaybackController&) override { player_.frameDidChange(); }

  private:
    SJBaseVideoPlayer& player_;
};

SJBaseVideoPlayer::SJBaseVideoPlayer(Construction)
    : view_(std::make_shared<FillingView>()), contentView_(std::make_shared<FillingView>()),
      presentView_(std::make_shared<SJVideoPlayerPresentView>()),
      promptingPopupController_(std::make_shared<SJPromptingPopupController>()),
      listener_(std::make_shared<ControllerListener>(*this)),
      appearManager_(std::make_unique<SJControlLayerAppearManager>()) {
    view_->setBackgroundColor(UIColor::blackColor());
    view_->setClipsToBounds(true);
    view_->addSubview(contentView_);
    contentView_->setClipsToBounds(true);
    contentView_->addSubview(presentView_);
    contentView_->addSubview(promptingPopupController_->view());
    observers_.push_back(playbackObserver_);
    adoptPlaybackController(std::make_shared<SJAVMediaPlaybackController>());
    rotationManager_ = std::make_unique<SJRotationManager>(view_, contentView_);
    rotationObserver_ = rotationManager_->getObserver();
    gestureController_ = std::make_unique<SJPlayerGestureController>(contentView_);
}

SJBaseVideoPlayer::~SJBaseVideoPlayer() {
    if (URLAsset_) {
        post(SJPlayerEventWillDeallocate);
    }
    playbackController_->setDelegate({});
}

void SJBaseVideoPlayer::init() {
    installDefaultGestureHandlers();
    observeApplication();
    appearManager_->canAutomaticallyDisappear = [this](SJControlLayerAppearManager&) {
        return !(pausedToKeepAppearState_ && isPaused() && URLAsset_);
    };
    rotationManager_->shouldTriggerRotation = [this](SJRotationManager&) { return !disappeared_; };
}

void SJBaseVideoPlayer::setControlView(std::shared_ptr<UIView> view) {
    if (controlView_ == view) {
        return;
    }
    if (controlView_) {
        controlView_->removeFromSuperview();
    }
    controlView_ = std::move(view);
    if (controlView_) {
        contentView_->insertSubviewAbove(controlView_, presentView_);
    }
}

// ---- The asset and the engine ------------------------------------------------------------------

void SJBaseVideoPlayer::setURLAsset(std::shared_ptr<SJVideoPlayerURLAsset> asset) {
    if (asset == URLAsset_) {
        return;
    }
    if (URLAsset_) {
        post(SJPlayerEventURLAssetWillChange);
    }
    URLAsset_ = std::move(asset);
    played_ = false;
    userPaused_ = false;
    pausedForBackground_ = false;
    pausedForDisappearance_ = false;
    lastReportedTime_.reset();
    presentView_->videoLayer()->setVideoFrame(nullptr);
    presentView_->showPlaceholderImageViewAnimated(false);
    playbackController_->setMedia(URLAsset_);
    if (!tell(&SJPlaybackObservation::URLAssetDidChangeExeBlock)) {
        return;
    }
    if (URLAsset_) {
        appearManager_->needAppear();
        if (autoplayWhenSetNewAsset_) {
            play();
        }
    }
}

void SJBaseVideoPlayer::setPlaybackController(std::shared_ptr<SJMediaPlaybackController> controller) {
    if (!controller || controller == playbackController_) {
        return;
    }
    auto previous = playbackController_;
    const bool wasPlaying = !previous->isPaused();
    previous->setDelegate({});
    // The previous controller may be the one telling us about a change right now: it
    // stops (and goes) on a later turn of the main queue, when that call is over.
    DispatchQueue::main().async([previous] { previous->stop(); });
    presentView_->videoLayer()->setVideoFrame(nullptr);
    lastReportedTime_.reset();
    adoptPlaybackController(controller);
    controller->setVolume(previous->volume());
    controller->setMuted(previous->isMuted());
    if (URLAsset_) {
        controller->setMedia(URLAsset_);
        if (wasPlaying) {
            controller->play();
        }
    }
}

void SJBaseVideoPlayer::adoptPlaybackController(
    const std::shared_ptr<SJMediaPlaybackController>& controller) {
    playbackController_ = controller;
    controller->setRate(rate_);
    controller->setDelegate(listener_);
}

// ---- Control ---------------------------------------------------------------------------------

void SJBaseVideoPlayer::play() {
    if (!URLAsset_ || (canPlayAnAsset && !canPlayAnAsset(*this))) {
        return;
    }
    userPaused_ = false;
    played_ = true;
    pausedForBackground_ = false;
    pausedForDisappearance_ = false;
    if (assetStatus() == SJAssetStatusFailed) {
        // Open the asset again from its start position.
        auto asset = URLAsset_;
        playbackController_->stop();
        playbackController_->setMedia(asset);
    }
    playbackController_->play();
}

void SJBaseVideoPlayer::pause() {
    if (!URLAsset_) {
        return;
    }
    const bool wasPaused = playbackController_->isPaused();
    playbackController_->pause();
    if (!wasPaused) {
        post(SJPlayerEventDidPause);
    }
}

void SJBaseVideoPlayer::pauseForUser() {
    if (!URLAsset_) {
        return;
    }
    userPaused_ = true;
    pause();
}

void SJBaseVideoPlayer::replay() {
    if (!URLAsset_) {
        return;
    }
    userPaused_ = false;
    played_ = true;
    lastReportedTime_.reset();
    playbackController_->replay();
}

void SJBaseVideoPlayer::stop() {
    if (URLAsset_) {
        post(SJPlayerEventURLAssetWillChange);
    }
    URLAsset_.reset();
    played_ = false;
    userPaused_ = false;
    lastReportedTime_.reset();
    presentView_->videoLayer()->setVideoFrame(nullptr);
    playbackController_->stop();
    tell(&SJPlaybackObservation::URLAssetDidChangeExeBlock);
}

void SJBaseVideoPlayer::seekToTime(double seconds, std::function<void(bool finished)> completionHandler) {
    lastReportedTime_.reset();
    playbackController_->seekToTime(seconds,
                                    [alive = std::weak_ptr<bool>(alive_), this,
                                     completionHandler = std::move(completionHandler)](bool finished) {
                                        if (finished && !alive.expired()) {
                                            post(SJPlayerEventDidSeek);
                                        }
                                        if (completionHandler) {
                                            completionHandler(finished);
                                        }
                                    });
}

void SJBaseVideoPlayer::setRate(float rate) {
    if (!std::isfinite(rate) || rate <= 0 || rate == rate_) {
        return;
    }
    rate_ = rate;
    playbackController_->setRate(rate);
    tell(&SJPlaybackObservation::rateDidChangeExeBlock);
}

float SJBaseVideoPlayer::volume() const {
    return static_cast<float>(playbackController_->volume());
}

void SJBaseVideoPlayer::setVolume(float volume) {
    playbackController_->setVolume(volume);
}

bool SJBaseVideoPlayer::isMuted() const {
    return playbackController_->isMuted();
}

void SJBaseVideoPlayer::setMuted(bool muted) {
    playbackController_->setMuted(muted);
}

// ---- Observers and events ----------------------------------------------------------------------

std::shared_ptr<SJPlaybackObservation> SJBaseVideoPlayer::getPlaybackObserver() {
    auto observation = std::make_shared<SJPlaybackObservation>();
    std::erase_if(observers_, [](const auto& observer) { return observer.expired(); });
    observers_.push_back(observation);
    return observation;
}

bool SJBaseVideoPlayer::tell(Member member) {
    return tell({member});
}

bool SJBaseVideoPlayer::tell(std::initializer_list<Member> members) {
    std::weak_ptr<bool> alive = alive_;
    for (const Member member : members) {
        for (const auto& entry : std::vector(observers_)) {
            auto observer = entry.lock();
            if (observer && (*observer).*member) {
                ((*observer).*member)(*this);
                if (alive.expired()) {
                    return false;
                }
            }
        }
    }
    return true;
}

void SJBaseVideoPlayer::post(SJPlayerEvent event) {
    SJPlayerEventCenter::shared().post(event, SJPlayerEventInfo::of(*playbackController_));
}

void SJBaseVideoPlayer::assetStatusDidChange() {
    tell({&SJPlaybackObservation::assetStatusDidChangeExeBlock,
          &SJPlaybackObservation::playbackStatusDidChangeExeBlock});
}

void SJBaseVideoPlayer::timeControlStatusDidChange() {
    if (!tell({&SJPlaybackObservation::timeControlStatusDidChangeExeBlock,
               &SJPlaybackObservation::playbackStatusDidChangeExeBlock})) {
        return;
    }
    if (isPlaying()) {
        appearManager_->restartCountdown();
    }
}

void SJBaseVideoPlayer::currentTimeDidChange() {
    const double now = currentTime();
    const bool due = !lastReportedTime_ || !isPlaying() || now < *lastReportedTime_ ||
                     now - *lastReportedTime_ >= kTimeReportStep;
    if (!due) {
        return;
    }
    lastReportedTime_ = now;
    if (isPlaying()) {
        post(SJPlayerEventTimeDidChange);
    }
    tell(&SJPlaybackObservation::currentTimeDidChangeExeBlock);
}

void SJBaseVideoPlayer::frameDidChange() {
    const bool first = !presentView_->videoLayer()->isReadyForDisplay();
    presentView_->videoLayer()->setVideoFrame(playbackController_->latestFrame());
    if (first && presentView_->videoLayer()->isReadyForDisplay() &&
        !presentView_->isPlaceholderImageViewHidden()) {
        presentView_->hiddenPlaceholderImageViewAnimated(true, placeholderDelay_);
    }
}

void SJBaseVideoPlayer::playbackDidFinish() {
    post(SJPlayerEventDidFinish);
    if (!lastReportedTime_ || *lastReportedTime_ != currentTime()) {
        lastReportedTime_ = currentTime();
        if (!tell(&SJPlaybackObservation::currentTimeDidChangeExeBlock)) {
            return;
        }
    }
    tell(&SJPlaybackObservation::playbackDidFinishExeBlock);
}

// ---- The application and the page ----------------------------------------------------------------

void SJBaseVideoPlayer::observeApplication() {
    auto& center = NotificationCenter::defaultCenter();
    applicationObservers_.push_back(
        center.addObserver(UIApplicationDidEnterBackgroundNotification, [this](const Notification&) {
            if (!URLAsset_) {
                return;
            }
            post(SJPlayerEventDidEnterBackground);
            if (pausedInBackground_ && !isPaused()) {
                pause();
                pausedForBackground_ = true;
            }
        }));
    applicationObservers_.push_back(
        center.addObserver(UIApplicationWillEnterForegroundNotification, [this](const Notification&) {
            if (!pausedForBackground_) {
                return;
            }
            pausedForBackground_ = false;
            if (resumeInForeground_ && !userPaused_ && !disappeared_) {
                play();
            }
        }));
}

void SJBaseVideoPlayer::vc_viewDidAppear() {
    disappeared_ = false;
    if (pausedForDisappearance_) {
        pausedForDisappearance_ = false;
        if (!userPaused_) {
            play();
        }
    }
}

void SJBaseVideoPlayer::vc_viewWillDisappear() {
    disappeared_ = true;
}

void SJBaseVideoPlayer::vc_viewDidDisappear() {
    disappeared_ = true;
    if (URLAsset_ && !isPaused()) {
        pause();
        pausedForDisappearance_ = true;
    }
}

// ---- Gestures ----------------------------------------------------------------------------------

void SJBaseVideoPlayer::installDefaultGestureHandlers() {
    SJPlayerGestureController& gestures = *gestureController_;
    gestures.touchFilter = [this](const UIView& touched) {
        // Only the picture and the player's own surfaces; controls and views laid over
        // the player handle their touches themselves.
        return &touched == contentView_.get() || &touched == controlView_.get() ||
               touched.isDescendantOfView(presentView_.get());
    };
    gestures.singleTapHandler = [this](SJPlayerGestureController&, CGPoint) {
        appearManager_->switchAppearState();
    };
    gestures.doubleTapHandler = [this](SJPlayerGestureController&, CGPoint) {
        if (isPaused()) {
            play();
        } else {
            pauseForUser();
        }
    };
    gestures.panHandler = [this](SJPlayerGestureController&, SJPanGestureTriggeredPosition position,
                                 SJPanGestureMovingDirection direction, SJPanGestureRecognizerState state,
                                 CGPoint translate) { handlePan(position, direction, state, translate); };
    gestures.longPressHandler = [this](SJPlayerGestureController&, SJLongPressGestureRecognizerState state) {
        handleLongPress(state);
    };
}

void SJBaseVideoPlayer::handlePan(SJPanGestureTriggeredPosition position,
                                  SJPanGestureMovingDirection direction, SJPanGestureRecognizerState state,
                                  CGPoint translate) {
    const CGSize size = contentView_->bounds().size;
    if (direction == SJPanGestureMovingDirection::H) {
        if (state == SJPanGestureRecognizerState::Began) {
            seekDragStart_.reset();
            if (duration() > 0 && assetStatus() == SJAssetStatusReadyToPlay) {
                seekDragStart_ = currentTime();
                appearManager_->needAppear();
                appearManager_->keepAppearState();
            }
        }
        if (!seekDragStart_ || size.width <= 0) {
            return;
        }
        const double span = std::min(duration(), kLongestSeekDrag);
        const double target = std::clamp(*seekDragStart_ + translate.x / size.width * span, 0.0, duration());
        if (state == SJPanGestureRecognizerState::Ended) {
            seekDragStart_.reset();
            seekDraggingDidChange(std::nullopt);
            appearManager_->resume();
            seekToTime(target);
        } else {
            seekDraggingDidChange(target);
        }
        return;
    }
    if (size.height <= 0) {
        return;
    }
    // Upwards raises: a drag over the whole height goes from one end to the other.
    const float change = static_cast<float>(-translate.y / size.height);
    if (position == SJPanGestureTriggeredPosition::Right) {
        if (state == SJPanGestureRecognizerState::Began) {
            volumeDragStart_ = volume();
        }
        if (volumeDragStart_) {
            setVolume(std::clamp(*volumeDragStart_ + change, 0.0f, 1.0f));
        }
        if (state == SJPanGestureRecognizerState::Ended) {
            volumeDragStart_.reset();
        }
    } else {
        if (state == SJPanGestureRecognizerState::Began) {
            brightnessDragStart_ = brightness_;
        }
        if (brightnessDragStart_) {
            brightness_ = std::clamp(*brightnessDragStart_ + change, 0.0f, 1.0f);
        }
        if (state == SJPanGestureRecognizerState::Ended) {
            brightnessDragStart_.reset();
        }
    }
}

void SJBaseVideoPlayer::handleLongPress(SJLongPressGestureRecognizerState state) {
    if (state == SJLongPressGestureRecognizerState::Began) {
        if (!rateBeforeLongPress_) {
            rateBeforeLongPress_ = rate_;
        }
        setRate(longPressRate_);
    } else if (state == SJLongPressGestureRecognizerState::Ended && rateBeforeLongPress_) {
        const float previous = *rateBeforeLongPress_;
        rateBeforeLongPress_.reset();
        setRate(previous);
    }
}
