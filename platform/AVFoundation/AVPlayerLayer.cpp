#include "platform/AVFoundation/AVPlayerLayer.h"

// A copy (the presentation of the layer) shows the same picture but observes nothing.
AVPlayerLayer::AVPlayerLayer(const AVPlayerLayer& other) : VideoFrameLayer(other), player_(other.player_) {}

std::shared_ptr<AVPlayerLayer> AVPlayerLayer::playerLayerWithPlayer(std::shared_ptr<AVPlayer> player) {
    auto layer = std::make_shared<AVPlayerLayer>();
    layer->setPlayer(std::move(player));
    return layer;
}

void AVPlayerLayer::setPlayer(std::shared_ptr<AVPlayer> player) {
    if (player_ == player) {
        return;
    }
    player_ = std::move(player);
    observation_.reset();
    setVideoFrame(player_ ? player_->latestFrame() : nullptr);
    if (player_) {
        // The observation is the layer's own, so the pointer never outlives the layer.
        observation_ = player_->addObserver([this](AVPlayer& observed, unsigned changes) {
            if ((changes & (AVPlayerChangeFrame | AVPlayerChangeItem)) != 0) {
                setVideoFrame(observed.latestFrame());
            }
        });
    }
}
