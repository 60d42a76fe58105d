#include "platform/AVFoundation/Media/MediaSessionReport.h"

void MediaSessionReport::sendState(std::uint64_t generation, const MediaEngineState& state) {
    // The main thread keeps only states of its newest generation: the first state of a new
    // one goes out even when it equals the last one sent (a second load that fails as the
    // first did, before its loading state was ever sent).
    if (hasSent_ && sentGeneration_ == generation && sent_ == state) {
        return;
    }
    sent_ = state;
    sentGeneration_ = generation;
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

void MediaSessionReport::refuseSeek(std::uint64_t seekId) {
    outlets_.seekEnd(seekId, false);
}

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
