#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"

#include <cstdint>
#include <memory>
#include <string>

// What an engine's session, on the engine's worker thread, tells the main thread through
// the engine's outlets: its state, sent only when it changed, its pictures, and the end of
// the seek under way.
class MediaSessionReport {
  public:
    void setOutlets(MediaEngineOutlets outlets) { outlets_ = std::move(outlets); }
    const MediaEngineOutlets& outlets() const { return outlets_; }

    // Sends `state` for `generation` unless it is the state sent last for that generation.
    void sendState(std::uint64_t generation, const MediaEngineState& state);
    // Has the next sendState send its state even when it is unchanged (the main thread
    // waits for a state of a new generation).
    void resendState() { hasSent_ = false; }
    void sendFrame(std::uint64_t generation, std::shared_ptr<VideoFrame> frame);

    // The seek under way; 0 when there is none.
    std::uint64_t seekId() const { return seekId_; }
    void beginSeek(std::uint64_t seekId) { seekId_ = seekId; }
    // Reports the end of the seek under way, if there is one.
    void endSeek(bool finished);
    // Reports seek `seekId` unfinished without it ever being under way.
    void refuseSeek(std::uint64_t seekId);

  private:
    MediaEngineOutlets outlets_;
    MediaEngineState sent_;
    std::uint64_t sentGeneration_ = 0;
    bool hasSent_ = false;
    std::uint64_t seekId_ = 0;
};

// Marks `state` failed for `reason` ("the media could not be played" when empty).
void markFailed(MediaEngineState& state, const std::string& reason);
// Works out whether a state not failed is buffering: waiting for data although it should
// be playing, while the media loads or while the library says it `stalled`.
void updateBuffering(MediaEngineState& state, bool paused, bool stalled);
