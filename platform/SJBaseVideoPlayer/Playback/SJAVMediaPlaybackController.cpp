#include "platform/SJBaseVideoPlayer/Playback/SJAVMediaPlaybackController.h"

SJAVMediaPlaybackController::SJAVMediaPlaybackController() = default;

SJAVMediaPlaybackController::~SJAVMediaPlaybackController() = default;

AVPlayer& SJAVMediaPlaybackController::avPlayer() {
    if (!player_) {
        player_ = AVPlayer::player();
        // The observation is the controller's own, so the raw pointer never outlives it.
        observation_ = player_->addObserver([this](AVPlayer&, unsigned changes) {
            if (changes == AVPlayerChangeFrame) {
                engineFrameDidChange();
            } else {
                engineStateDidChange();
            }
        });
    }
    return *player_;
}

MediaEngine& SJAVMediaPlaybackController::engine() {
    return avPlayer().mediaEngine();
}

void SJAVMediaPlaybackController::load(const MediaRequest& request, const SJVideoPlayerURLAsset& media) {
    auto asset = media.avAsset() ? media.avAsset() : std::make_shared<AVURLAsset>(request.url);
    auto item = AVPlayerItem::playerItemWithAsset(std::move(asset));
    item->setStartTime(request.startPosition);
    AVPlayer& player = avPlayer();
    if (!currentPlayer_) {
        currentPlayer_ = std::make_shared<SJAVMediaPlayer>(player_);
    }
    player.replaceCurrentItemWithPlayerItem(std::move(item));
}

void SJAVMediaPlaybackController::applyPaused(bool paused) {
    if (paused) {
        avPlayer().pause();
    } else {
        avPlayer().play();
    }
}

void SJAVMediaPlaybackController::applyRate(double rate) {
    avPlayer().setDefaultRate(rate);
}

void SJAVMediaPlaybackController::applyVolume(double volume, bool muted) {
    avPlayer().setVolume(static_cast<float>(volume));
    avPlayer().setMuted(muted);
}

void SJAVMediaPlaybackController::applySeek(double seconds, std::function<void(bool)> completion) {
    avPlayer().seekToTime(seconds, std::move(completion));
}

void SJAVMediaPlaybackController::applyStop() {
    avPlayer().replaceCurrentItemWithPlayerItem(nullptr);
}
