#pragma once

#include "platform/SJBaseVideoPlayer/Player/SJBaseVideoPlayer.h"
#include "platform/SJVideoPlayer/SJEdgeControlLayer.h"
#include "platform/SJVideoPlayer/SJVideoPlayerResources.h"

#include <functional>
#include <memory>

// The player with its edge control layer: back (leaves full screen, else the page), the
// asset's title, more (in full screen, when shown: a panel of playback rates), play and
// pause, times, a progress slider to seek with, full screen and, at the end, replay. The controls follow the
// controls' appearance (a tap shows them, they hide by themselves while playing) and the full-screen state.
class SJVideoPlayer : public SJBaseVideoPlayer {
  public:
    static std::shared_ptr<SJVideoPlayer> player() { return SJBaseVideoPlayer::player<SJVideoPlayer>(); }
    explicit SJVideoPlayer(Construction construction) : SJBaseVideoPlayer(construction) {}
    ~SJVideoPlayer() override;

    const std::shared_ptr<SJEdgeControlLayer>& defaultEdgeControlLayer() const { return edgeControlLayer_; }

    // Changes the look shared by every player's controls.
    static void updateResources(const std::function<void(SJVideoPlayerResources& resources)>& block) {
        SJVideoPlayerResources::update(block);
    }

  protected:
    void init() override;
    void seekDraggingDidChange(std::optional<double> target) override;

  private:
    void wireItems();
    void observe();
    void showState();
    void showFullscreenState();
    void showMoreSettings();
    void leave();

    std::shared_ptr<SJEdgeControlLayer> edgeControlLayer_;
    std::shared_ptr<SJPlaybackObservation> playbackObservation_;
    std::shared_ptr<SJRotationObservation> rotationObservation_;
    std::shared_ptr<SJControlLayerAppearObservation> appearObservation_;
};
