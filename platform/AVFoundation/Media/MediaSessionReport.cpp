#include "platform/AVFoundation/Media/MediaSessionReport.h"

void MediaSessionReport::sendState(std::uint64_t generation, const MediaEngineState& state) {
    if (hasSent_ && sent_ == state) {
        return;
    }
    sent_ = state;
    hasSent_ = true;
    outlets_.state(generation, state);
}

void MediaSessionReport::sendFrame(std::uint64_t generation, std::shared_ptr<VideoFrame> frame) {
    outlets_.frame(generation, std::move(frame));
}

void MediaSessionReport::endSeek(bool finished) {
    if (seekId_ == 0) {
        return;
    }
    outlets_.seekEnd(seekId_, finished);
    seekId_ = 0;
}

void MediaSessionReport::refuseSeek(std::uint64_t seekId) { outlets_.seekEnd(seekId, false); }

void markFailed(MediaEngineState& state, const std::string& reason) {
    state.phase = MediaEnginePhase::Failed;
    state.buffering = false;
    state.errorDescription = reason.empty() ? "the media could not be played" : reason;
}

void updateBuffering(MediaEngineState& state, bool paused, bool stalled) {
    if (state.phase == MediaEnginePhase::Failed) {
        return;
    }
    const bool waiting = state.phase == MediaEnginePhase::Loading || stalled;
    state.buffering = !paused && !state.ended && waiting;
}
