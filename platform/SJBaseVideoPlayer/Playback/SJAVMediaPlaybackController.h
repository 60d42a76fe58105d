#pragma once

#include "platform/AVFoundation/AVPlayer.h"
#include "platform/SJBaseVideoPlayer/Playback/SJMediaPlaybackController.h"

#include <memory>

// The platform player under the platform-engine controller.
class SJAVMediaPlayer {
  public:
    explicit SJAVMediaPlayer(std::shared_ptr<AVPlayer> avPlayer) : avPlayer_(std::move(avPlayer)) {}
    const std::shared_ptr<AVPlayer>& avPlayer() const { return avPlayer_; }

  private:
    std::shared_ptr<AVPlayer> avPlayer_;
};

// The playback controller on the platform media engine (AVPlayer on libmpv): a player's
// default controller.
class SJAVMediaPlaybackController final : public SJMediaPlaybackController {
  public:
    SJAVMediaPlaybackController();
    ~SJAVMediaPlaybackController() override;

    // The player of the current media; null before the first media.
    const std::shared_ptr<SJAVMediaPlayer>& currentPlayer() const { return currentPlayer_; }

  private:
    AVPlayer& avPlayer();
    MediaEngine& engine() override;
    void load(const MediaRequest& request, const SJVideoPlayerURLAsset& media) override;
    void applyPaused(bool paused) override;
    void applyRate(double rate) override;
    void applyVolume(double volume, bool muted) override;
    void applySeek(double seconds, std::function<void(bool)> completion) override;
    void applyStop() override;

    std::shared_ptr<SJAVMediaPlayer> currentPlayer_;
    std::shared_ptr<AVPlayer> player_;
    AVPlayer::ObserverToken observation_;
};
