#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"

#include <optional>

namespace playertest {

// Remembers the position of the first state of an engine that says "ready".
class FirstReady final : public MediaEngineClient {
  public:
    void engineStateDidChange(MediaEngine& engine) override {
        if (engine.state().phase == MediaEnginePhase::Ready && !position) {
            position = engine.state().position;
        }
    }
    std::optional<double> position;
};

} // namespace playertest
