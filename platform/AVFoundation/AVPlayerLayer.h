#pragma once

#include "platform/AVFoundation/AVPlayer.h"
#include "platform/AVFoundation/VideoFrameLayer.h"

#include <memory>

// A layer that shows its player's pictures, each one as it arrives.
class AVPlayerLayer : public VideoFrameLayer {
  public:
    AVPlayerLayer() = default;
    AVPlayerLayer(const AVPlayerLayer& other);
    static std::shared_ptr<AVPlayerLayer> playerLayerWithPlayer(std::shared_ptr<AVPlayer> player);

    const std::shared_ptr<AVPlayer>& player() const { return player_; }
    void setPlayer(std::shared_ptr<AVPlayer> player);

  protected:
    std::shared_ptr<CALayer> clone() const override { return std::make_shared<AVPlayerLayer>(*this); }

  private:
    std::shared_ptr<AVPlayer> player_;
    AVPlayer::ObserverToken observation_;
};
