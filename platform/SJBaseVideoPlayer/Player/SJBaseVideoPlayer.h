#pragma once

#include "platform/Foundation/NotificationCenter.h"
#include "platform/SJBaseVideoPlayer/Playback/SJMediaPlaybackController.h"
#include "platform/SJBaseVideoPlayer/Playback/SJPlayerEvents.h"
#include "platform/SJBaseVideoPlayer/Player/SJControlLayerAppearManager.h"
#include "platform/SJBaseVideoPlayer/Player/SJPlaybackObservation.h"
#include "platform/SJBaseVideoPlayer/Player/SJPlayerGestureController.h"
#include "platform/SJBaseVideoPlayer/Player/SJPromptingPopupController.h"
#include "platform/SJBaseVideoPlayer/Player/SJRotationManager.h"
#include "platform/SJBaseVideoPlayer/Player/SJVideoPlayerPresentView.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A video player as a view: `view()` goes into a page; inside it, the pictures of the
// playback controller, the controls of a subclass and the prompts. Setting `URLAsset`
// starts loading (and playing, unless autoplay is off). The player tells its playback
// observers what changes, posts its events to SJPlayerEventCenter (so that the playback
// record of the asset is saved), pauses when the application goes to the background or
// the page goes away, goes full screen through its rotation manager and answers taps,
// double taps, pans and long presses through its gesture controller.
//
// Players are made by `player()` (a subclass: `player<Subclass>()`), which constructs
// and then runs `init()`; a subclass overrides init(), calls the base first and then
// sets its own defaults. Main thread only.
class SJBaseVideoPlayer : public std::enable_shared_from_this<SJBaseVideoPlayer> {
  protected:
    // Only the factory makes players (subclasses pass it on).
    struct Construction {
        explicit Construction() = default;
    };

  public:
    template <class Player = SJBaseVideoPlayer> static std::shared_ptr<Player> player() {
        auto made = std::make_shared<Player>(Construction{});
        static_cast<SJBaseVideoPlayer&>(*made).init();
        return made;
    }
    explicit SJBaseVideoPlayer(Construction);
    virtual ~SJBaseVideoPlayer();
    SJBaseVideoPlayer(const SJBaseVideoPlayer&) = delete;
    SJBaseVideoPlayer& operator=(const SJBaseVideoPlayer&) = delete;

    // ---- Views ----
    // The view a page places and sizes; the player fills it (in portrait).
    const std::shared_ptr<UIView>& view() const { return view_; }
    const std::shared_ptr<SJVideoPlayerPresentView>& presentView() const { return presentView_; }
    AVLayerVideoGravity videoGravity() const { return presentView_->videoLayer()->videoGravity(); }
    void setVideoGravity(AVLayerVideoGravity gravity) {
        presentView_->videoLayer()->setVideoGravity(gravity);
    }
    // Seconds between the first picture and the hiding of the placeholder image.
    double delayInSecondsForHiddenPlaceholderImageView() const { return placeholderDelay_; }
    void setDelayInSecondsForHiddenPlaceholderImageView(double seconds) { placeholderDelay_ = seconds; }

    // ---- The asset ----
    const std::shared_ptr<SJVideoPlayerURLAsset>& URLAsset() const { return URLAsset_; }
    // Replaces the asset (saving the playback record of the one before) and starts
    // loading it; null stops playback.
    void setURLAsset(std::shared_ptr<SJVideoPlayerURLAsset> asset);
    bool autoplayWhenSetNewAsset() const { return autoplayWhenSetNewAsset_; }
    void setAutoplayWhenSetNewAsset(bool autoplay) { autoplayWhenSetNewAsset_ = autoplay; }
    // Asked before an asset is played; no block means yes.
    std::function<bool(SJBaseVideoPlayer& player)> canPlayAnAsset;

    // ---- The engine ----
    const std::shared_ptr<SJMediaPlaybackController>& playbackController() const {
        return playbackController_;
    }
    // Replaces the playback controller (the platform engine's by default); the current
    // asset moves to the new one.
    void setPlaybackController(std::shared_ptr<SJMediaPlaybackController> controller);

    // ---- Control ----
    // Plays; after a failed load, loads the asset again.
    void play();
    void pause();
    // A pause the user asked for: nothing resumes it but play.
    void pauseForUser();
    void replay();
    // Stops and lets go of the asset.
    void stop();
    void seekToTime(double seconds, std::function<void(bool finished)> completionHandler = {});
    float rate() const { return rate_; }
    void setRate(float rate);
    float volume() const;
    void setVolume(float volume);
    bool isMuted() const;
    void setMuted(bool muted);

    // ---- State ----
    SJAssetStatus assetStatus() const { return playbackController_->assetStatus(); }
    SJPlaybackTimeControlStatus timeControlStatus() const { return playbackController_->timeControlStatus(); }
    // Time does not move (paused, not yet played, ended or failed).
    bool isPaused() const { return timeControlStatus() == SJPlaybackTimeControlStatusPaused; }
    bool isPlaying() const { return timeControlStatus() == SJPlaybackTimeControlStatusPlaying; }
    bool isBuffering() const { return timeControlStatus() == SJPlaybackTimeControlStatusWaitingToPlay; }
    bool isUserPaused() const { return userPaused_; }
    // Play was asked for since the asset was set.
    bool isPlayed() const { return played_; }
    bool isPlaybackFinished() const { return playbackController_->isPlaybackFinished(); }
    double currentTime() const { return playbackController_->currentTime(); }
    double duration() const { return playbackController_->duration(); }
    double playableDuration() const { return playbackController_->playableDuration(); }
    SJPresentationSize presentationSize() const { return playbackController_->presentationSize(); }
    const std::optional<NSError>& error() const { return playbackController_->error(); }

    // ---- Observers ----
    // The player's own observation (for the page that owns the player).
    SJPlaybackObservation& playbackObserver() { return *playbackObserver_; }
    // A further observation that lives as long as the answer is held.
    [[nodiscard]] std::shared_ptr<SJPlaybackObservation> getPlaybackObserver();

    // ---- The application and the page ----
    bool pausedInBackground() const { return pausedInBackground_; }
    void setPausedInBackground(bool paused) { pausedInBackground_ = paused; }
    bool resumePlaybackWhenAppDidEnterForeground() const { return resumeInForeground_; }
    void setResumePlaybackWhenAppDidEnterForeground(bool resume) { resumeInForeground_ = resume; }
    // For players in scrolling lists; the application plays in plain views only.
    bool resumePlaybackWhenScrollAppeared() const { return resumeWhenScrollAppeared_; }
    void setResumePlaybackWhenScrollAppeared(bool resume) { resumeWhenScrollAppeared_ = resume; }
    // The page of the player tells it when it appears and disappears: it pauses when the
    // page has gone and plays again when the page is back (unless the user paused).
    void vc_viewDidAppear();
    void vc_viewWillDisappear();
    void vc_viewDidDisappear();
    bool vc_isDisappeared() const { return disappeared_; }

    // ---- Full screen ----
    SJRotationManager& rotationManager() { return *rotationManager_; }
    SJRotationObservation& rotationObserver() { return *rotationObserver_; }
    bool isFullscreen() const { return rotationManager_->isFullscreen(); }
    // Whether the full-screen control turns the player (kept for the page that sets it).
    bool automaticallyPerformRotationOrFitOnScreen() const { return automaticRotation_; }
    void setAutomaticallyPerformRotationOrFitOnScreen(bool automatic) { automaticRotation_ = automatic; }

    // ---- Gestures and controls ----
    SJPlayerGestureController& gestureController() { return *gestureController_; }
    // The rate while a long press lasts.
    float rateWhenLongPressGestureTriggered() const { return longPressRate_; }
    void setRateWhenLongPressGestureTriggered(float rate) { longPressRate_ = rate; }
    SJControlLayerAppearManager& controlLayerAppearManager() { return *appearManager_; }
    // Whether the controls stay while paused.
    bool pausedToKeepAppearState() const { return pausedToKeepAppearState_; }
    void setPausedToKeepAppearState(bool keep) { pausedToKeepAppearState_ = keep; }
    SJPromptingPopupController& promptingPopupController() { return *promptingPopupController_; }
    // Playback brightness asked for by vertical pans on the left half (0 to 1). A desktop
    // application cannot change the screen's brightness, so it is only remembered.
    float brightness() const { return brightness_; }

  protected:
    // Builds the views and wires the engine; subclasses call it first.
    virtual void init();
    // The view that fills the player above its pictures (a subclass's controls).
    void setControlView(std::shared_ptr<UIView> view);
    // The view that moves to full screen: pictures, controls and prompts.
    const std::shared_ptr<UIView>& contentView() const { return contentView_; }
    // A horizontal pan is choosing a time to seek to (none: the pan ended).
    virtual void seekDraggingDidChange(std::optional<double> target) {}

  private:
    class ControllerListener;
    using Member = SJPlaybackObservation::Block SJPlaybackObservation::*;

    void adoptPlaybackController(const std::shared_ptr<SJMediaPlaybackController>& controller);
    void post(SJPlayerEvent event);
    // Calls the member block of every observation; false when the player went away.
    bool tell(Member member);
    bool tell(std::initializer_list<Member> members);
    void installDefaultGestureHandlers();
    void handlePan(SJPanGestureTriggeredPosition position, SJPanGestureMovingDirection direction,
                   SJPanGestureRecognizerState state, CGPoint translate);
    void handleLongPress(SJLongPressGestureRecognizerState state);
    void observeApplication();

    // From the playback controller.
    void assetStatusDidChange();
    void timeControlStatusDidChange();
    void currentTimeDidChange();
    void frameDidChange();
    void playbackDidFinish();

    std::shared_ptr<UIView> view_;
    std::shared_ptr<UIView> contentView_;
    std::shared_ptr<SJVideoPlayerPresentView> presentView_;
    std::shared_ptr<UIView> controlView_;
    std::shared_ptr<SJPromptingPopupController> promptingPopupController_;

    std::shared_ptr<SJMediaPlaybackController> playbackController_;
    std::shared_ptr<ControllerListener> listener_;
    std::shared_ptr<SJVideoPlayerURLAsset> URLAsset_;

    std::shared_ptr<SJPlaybackObservation> playbackObserver_ = std::make_shared<SJPlaybackObservation>();
    std::vector<std::weak_ptr<SJPlaybackObservation>> observers_;
    std::unique_ptr<SJRotationManager> rotationManager_;
    std::shared_ptr<SJRotationObservation> rotationObserver_;
    std::unique_ptr<SJPlayerGestureController> gestureController_;
    std::unique_ptr<SJControlLayerAppearManager> appearManager_;
    std::vector<NotificationCenter::ObserverToken> applicationObservers_;

    float rate_ = 1;
    float longPressRate_ = 2;
    std::optional<float> rateBeforeLongPress_;
    float brightness_ = 0.5;
    std::optional<double> seekDragStart_;
    std::optional<float> volumeDragStart_;
    std::optional<float> brightnessDragStart_;
    std::optional<double> lastReportedTime_;
    double placeholderDelay_ = 0.4;
    bool autoplayWhenSetNewAsset_ = true;
    bool pausedInBackground_ = true;
    bool resumeInForeground_ = true;
    bool resumeWhenScrollAppeared_ = true;
    bool automaticRotation_ = true;
    bool pausedToKeepAppearState_ = true;
    bool userPaused_ = false;
    bool played_ = false;
    bool disappeared_ = false;
    bool pausedForDisappearance_ = false;
    bool pausedForBackground_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
