#include "platform/SJBaseVideoPlayer/Playback/SJAliMediaPlaybackController.h"

// Passes the engine's news on; owned by the controller, so its pointer never dangles.
class SJAliMediaPlaybackController::EngineClient final : public MediaEngineClient {
  public:
    explicit EngineClient(SJAliMediaPlaybackController& owner) : owner_(owner) {}
    void engineStateDidChange(MediaEngine&) override { owner_.engineStateDidChange(); }
    void engineFrameDidChange(MediaEngine&) override { owner_.engineFrameDidChange(); }

  private:
    SJAliMediaPlaybackController& owner_;
};

SJAliMediaPlaybackController::SJAliMediaPlaybackController()
    : client_(std::make_shared<EngineClient>(*this)) {}

SJAliMediaPlaybackController::~SJAliMediaPlaybackController() = default;

MediaEngine& SJAliMediaPlaybackController::engine() {
    if (!engine_) {
        engine_ = std::make_unique<GstPlaybinEngine>();
        engine_->setClient(client_);
    }
    return *engine_;
}

void SJAliMediaPlaybackController::load(const MediaRequest& request, const SJVideoPlayerURLAsset&) {
    engine().load(request);
}
