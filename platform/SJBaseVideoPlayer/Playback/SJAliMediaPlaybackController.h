#pragma once

#include "platform/AliyunPlayer/GstPlaybinEngine.h"
#include "platform/SJBaseVideoPlayer/Playback/SJMediaPlaybackController.h"

#include <memory>

// The playback controller on the second engine (GStreamer): the one a player switches
// to when the platform engine keeps failing.
class SJAliMediaPlaybackController final : public SJMediaPlaybackController {
  public:
    SJAliMediaPlaybackController();
    ~SJAliMediaPlaybackController() override;

  private:
    class EngineClient;

    MediaEngine& engine() override;
    void load(const MediaRequest& request, const SJVideoPlayerURLAsset& media) override;

    std::shared_ptr<EngineClient> client_;
    std::unique_ptr<GstPlaybinEngine> engine_;
};
