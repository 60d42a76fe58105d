#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/Foundation/NSError.h"
#include "platform/SJBaseVideoPlayer/Playback/SJVideoPlayerURLAsset.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// Whether the media can be played: the player framework's asset statuses.
enum SJAssetStatus {
    SJAssetStatusUnknown = 0,
    SJAssetStatusPreparing = 1,
    SJAssetStatusReadyToPlay = 2,
    SJAssetStatusFailed = 3,
};

// Whether time moves: the player framework's time-control statuses.
enum SJPlaybackTimeControlStatus {
    SJPlaybackTimeControlStatusPaused = 0,
    SJPlaybackTimeControlStatusWaitingToPlay = 1,
    SJPlaybackTimeControlStatusPlaying = 2,
};

// Both statuses and the end of play read as one.
enum class SJPlaybackStatus {
    Unknown,   // no media
    Preparing, // opening, not asked to play
    Ready,     // opened, not yet asked to play
    Playing,
    Paused,
    Buffering, // asked to play, waiting for data (also while opening)
    Failed,
    Finished, // played to the end
};

inline constexpr const char* SJMediaPlaybackErrorDomain = "SJMediaPlaybackErrorDomain";
// Error codes of that domain.
enum SJMediaPlaybackError {
    SJMediaPlaybackErrorRefusedAddress = 1, // the address may not be played
    SJMediaPlaybackErrorFailedToPlay = 2,   // the engine could not open or play it
};

struct SJPresentationSize {
    double width = 0;
    double height = 0;
    bool operator==(const SJPresentationSize&) const = default;
};

class SJMediaPlaybackController;

// Hears from a playback controller, on the main thread, after each change.
class SJMediaPlaybackControllerDelegate {
  public:
    virtual ~SJMediaPlaybackControllerDelegate() = default;
    virtual void assetStatusDidChange(SJMediaPlaybackController& controller) {}
    virtual void timeControlStatusDidChange(SJMediaPlaybackController& controller) {}
    virtual void durationDidChange(SJMediaPlaybackController& controller) {}
    virtual void currentTimeDidChange(SJMediaPlaybackController& controller) {}
    virtual void playableDurationDidChange(SJMediaPlaybackController& controller) {}
    virtual void presentationSizeDidChange(SJMediaPlaybackController& controller) {}
    virtual void rateDidChange(SJMediaPlaybackController& controller) {}
    virtual void volumeDidChange(SJMediaPlaybackController& controller) {}
    virtual void mutedDidChange(SJMediaPlaybackController& controller) {}
    virtual void playbackDidFinish(SJMediaPlaybackController& controller) {}
    virtual void frameDidChange(SJMediaPlaybackController& controller) {}
};

// The playback controller of a player: plays one media at a time on one engine. Media
// addresses come from the service, so only http and https addresses are played (the
// local cache proxy is http on 127.0.0.1); any other fails the media. Used on the main
// thread only; nothing here waits for the engine.
class SJMediaPlaybackController {
  public:
    virtual ~SJMediaPlaybackController();
    SJMediaPlaybackController(const SJMediaPlaybackController&) = delete;
    SJMediaPlaybackController& operator=(const SJMediaPlaybackController&) = delete;

    void setDelegate(std::weak_ptr<SJMediaPlaybackControllerDelegate> delegate) {
        delegate_ = std::move(delegate);
    }

    const std::shared_ptr<SJVideoPlayerURLAsset>& media() const { return media_; }
    // Replaces the media and starts opening it at its start position, paused until
    // `play()`. A null media stops playback (as `stop()`).
    void setMedia(std::shared_ptr<SJVideoPlayerURLAsset> media);

    // Plays (from the start again when the media had played to its end).
    void play();
    void pause();
    // Unloads the media; the statuses return to unknown.
    void stop();
    // Plays from the start; opens the media again when it had failed.
    void replay();
    // Completes with true once the picture at `seconds` shows, with false when
    // overtaken by another seek, a new media or a stop, or before the media is ready.
    void seekToTime(double seconds, std::function<void(bool finished)> completionHandler = {});

    // Playback speed, kept across pauses and media (1 is normal).
    double rate() const { return rate_; }
    void setRate(double rate);
    // 0 to 1.
    double volume() const { return volume_; }
    void setVolume(double volume);
    bool isMuted() const { return muted_; }
    void setMuted(bool muted);

    double currentTime() const;
    double duration() const { return engineState_.duration; }
    double playableDuration() const { return engineState_.bufferedPosition; }
    SJPresentationSize presentationSize() const {
        return {static_cast<double>(engineState_.presentationWidth),
                static_cast<double>(engineState_.presentationHeight)};
    }
    SJAssetStatus assetStatus() const { return assetStatus_; }
    SJPlaybackTimeControlStatus timeControlStatus() const { return timeControlStatus_; }
    bool isPlaybackFinished() const { return finished_; }
    // Paused by the caller (as opposed to waiting for data).
    bool isPaused() const { return paused_; }
    SJPlaybackStatus status() const;
    // Present while the asset status is failed.
    const std::optional<NSError>& error() const { return error_; }
    const std::string& errorDescription() const { return errorDescription_; }
    // The newest picture of the media (see MediaEngine::latestFrame).
    std::shared_ptr<const VideoFrame> latestFrame() const { return frame_; }

  protected:
    SJMediaPlaybackController() = default;

    // The engine this controller drives, created on first use.
    virtual MediaEngine& engine() = 0;
    // Opens `request` (an address already checked) for `media` on the engine.
    virtual void load(const MediaRequest& request, const SJVideoPlayerURLAsset& media) = 0;
    // Commands to the engine; a controller whose engine sits under a player object
    // sends them through that object instead.
    virtual void applyPaused(bool paused) { engine().setPaused(paused); }
    virtual void applyRate(double rate) { engine().setRate(rate); }
    virtual void applyVolume(double volume, bool muted);
    virtual void applySeek(double seconds, std::function<void(bool)> completion);
    virtual void applyStop() { engine().stop(); }

    // The subclass hands every change of its engine over to these.
    void engineStateDidChange();
    void engineFrameDidChange();

  private:
    void open(double startPosition);
    void refuse(const std::string& reason);
    void update(const MediaEngineState& state);
    void updateTimeControlStatus();
    template <typename Method> bool tell(Method method);

    std::weak_ptr<SJMediaPlaybackControllerDelegate> delegate_;
    std::shared_ptr<SJVideoPlayerURLAsset> media_;
    // Counts media changes, so that a refusal scheduled for one media never fails the next.
    std::uint64_t mediaSerial_ = 0;
    bool paused_ = true;
    bool everPlayed_ = false;
    double rate_ = 1;
    double volume_ = 1;
    bool muted_ = false;
    bool engineLoaded_ = false;
    MediaEngineState engineState_;
    SJAssetStatus assetStatus_ = SJAssetStatusUnknown;
    SJPlaybackTimeControlStatus timeControlStatus_ = SJPlaybackTimeControlStatusPaused;
    bool finished_ = false;
    std::optional<NSError> error_;
    std::string errorDescription_;
    std::shared_ptr<const VideoFrame> frame_;
    // Alive as long as the controller: callbacks scheduled for later check it first.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
