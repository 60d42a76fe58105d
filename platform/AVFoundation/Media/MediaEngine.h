#pragma once

#include "platform/AVFoundation/Media/MediaRequest.h"
#include "platform/AVFoundation/Media/VideoFrame.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// Process-wide choices every playback engine reads when it is created. Set them at
// start-up, on the main thread, before the first engine exists.
namespace MediaEngineSettings {
// The PEM bundle that HTTPS media servers are verified against; empty: the system's.
void setCertificateAuthorityFile(const std::filesystem::path& file);
std::filesystem::path certificateAuthorityFile();
// Whether engines play sound through the system's audio output (tests and headless
// runs turn it off; video then runs on the system clock).
void setAudioOutputEnabled(bool enabled);
bool audioOutputEnabled();
} // namespace MediaEngineSettings

enum class MediaEnginePhase {
    Idle,    // nothing loaded
    Loading, // opening the media
    Ready,   // opened: duration and size known, playing or paused
    Failed,  // could not be opened or played; see errorDescription
};

// What an engine has observed about the loaded media.
struct MediaEngineState {
    MediaEnginePhase phase = MediaEnginePhase::Idle;
    // Waiting for data although it should be playing.
    bool buffering = false;
    // Played to the end (the last picture stays); cleared by a seek or a new load.
    bool ended = false;
    double duration = 0;         // seconds; 0 while unknown
    double position = 0;         // seconds
    double bufferedPosition = 0; // seconds of media available from the start
    int presentationWidth = 0;   // pixels, with the pixel aspect applied
    int presentationHeight = 0;
    bool hasFrame = false; // a picture of this media has been drawn
    std::string errorDescription;

    bool operator==(const MediaEngineState&) const = default;
};

class MediaEngine;

// How an engine's own threads hand what they see to the main thread; callable from any
// thread, and harmless once the engine is gone.
//
// Generations: every load, stop and seek starts a new one and hands it to the engine's
// threads, which send each state with the newest generation they have taken up. The main
// thread keeps only states of its own newest generation: a state sent before the threads
// took up a seek (one that still says "ended", say) is dropped instead of undoing what the
// seek changed. Pictures carry the generation too and are kept when they belong to the
// media loaded now (a picture shown just before a seek is still a picture of it).
struct MediaEngineOutlets {
    // The state seen for `generation`.
    std::function<void(std::uint64_t generation, const MediaEngineState& state)> state;
    // A new picture, seen for `generation`.
    std::function<void(std::uint64_t generation, std::shared_ptr<VideoFrame> frame)> frame;
    // The end of seek `seekId`.
    std::function<void(std::uint64_t seekId, bool finished)> seekEnd;
};

// Hears from an engine, on the main thread.
class MediaEngineClient {
  public:
    virtual ~MediaEngineClient() = default;
    virtual void engineStateDidChange(MediaEngine& engine) {}
    virtual void engineFrameDidChange(MediaEngine& engine) {}
};

// A playback engine: decoding runs on threads of its own; this face is used on the
// main thread only and never waits for them. Commands take effect soon after they are
// made; what the engine observes reaches the client through the main queue. Events of
// an earlier load never reach the client after a new load began.
class MediaEngine {
  public:
    using SeekCompletion = std::function<void(bool finished)>;

    MediaEngine();
    virtual ~MediaEngine();
    MediaEngine(const MediaEngine&) = delete;
    MediaEngine& operator=(const MediaEngine&) = delete;

    void setClient(std::weak_ptr<MediaEngineClient> client) { client_ = std::move(client); }

    // Opens `request` (the caller has checked its address), replacing what was loaded.
    void load(const MediaRequest& request);
    // Unloads the media; the state returns to Idle.
    void stop();
    void setPaused(bool paused);
    void setRate(double rate);
    // 0 to 1.
    void setVolume(double volume);
    void setMuted(bool muted);
    // Seeks to `seconds`; the completion runs on the main thread with true once the
    // picture there is shown, with false when a later seek, load or stop overtook it
    // or the media cannot seek.
    void seek(double seconds, SeekCompletion completion = {});

    bool isPaused() const { return paused_; }
    double rate() const { return rate_; }
    double volume() const { return volume_; }
    bool isMuted() const { return muted_; }
    const MediaEngineState& state() const { return state_; }
    // The newest picture of the loaded media (null before the first one). Keep the frame,
    // not its surface, for as long as it is painted: the engine reuses released frames.
    std::shared_ptr<const VideoFrame> latestFrame() const { return frame_; }

  protected:
    // Where the subclass's threads report to.
    MediaEngineOutlets outlets() const;
    // A picture made on the main thread itself (a texture of the window's context), seen
    // for `generation` (see MediaEngineOutlets); told to the client at once. The client
    // may destroy the engine from its callbacks.
    void presentFrame(std::uint64_t generation, std::shared_ptr<VideoFrame> frame);

    // Work of the subclass, called on the main thread after the shared bookkeeping.
    virtual void performLoad(std::uint64_t generation, const MediaRequest& request, bool paused) = 0;
    virtual void performStop(std::uint64_t generation) = 0;
    virtual void performSetPaused(bool paused) = 0;
    virtual void performSetRate(double rate) = 0;
    virtual void performSetVolume(double volume, bool muted) = 0;
    // `generation` is the seek's: the engine's threads send their states with it from now on.
    virtual void performSeek(std::uint64_t generation, std::uint64_t seekId, double seconds) = 0;

  private:
    // What the engine's threads hand to the main thread, delivered in one main-queue task
    // however much arrives before it runs.
    class Mailbox {
      public:
        void postState(std::uint64_t generation, const MediaEngineState& state);
        void postFrame(std::uint64_t generation, std::shared_ptr<VideoFrame> frame);
        void postSeekEnd(std::uint64_t seekId, bool finished);

      private:
        friend class MediaEngine;
        void schedule(std::unique_lock<std::mutex>& lock);

        std::mutex mutex_;
        std::weak_ptr<Mailbox> self_;
        MediaEngine* owner_ = nullptr; // main thread only
        bool scheduled_ = false;
        std::uint64_t stateGeneration_ = 0;
        std::optional<MediaEngineState> state_;
        std::uint64_t frameGeneration_ = 0;
        std::shared_ptr<VideoFrame> frame_;
        std::vector<std::pair<std::uint64_t, bool>> seekEnds_;
    };

    void deliver();
    void apply(std::optional<MediaEngineState> state, std::shared_ptr<VideoFrame> frame);
    void finishSeek(std::uint64_t seekId, bool finished);
    void abandonSeeks();
    void notifyState();

    std::shared_ptr<Mailbox> mailbox_;
    std::weak_ptr<MediaEngineClient> client_;
    // The newest generation, and the one of the last load or stop (see MediaEngineOutlets).
    std::uint64_t generation_ = 0;
    std::uint64_t loadGeneration_ = 0;
    std::uint64_t nextSeekId_ = 1;
    std::map<std::uint64_t, SeekCompletion> seeks_;
    bool paused_ = true;
    double rate_ = 1;
    double volume_ = 1;
    bool muted_ = false;
    MediaEngineState state_;
    std::shared_ptr<const VideoFrame> frame_;
};
