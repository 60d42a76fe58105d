#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/AVFoundation/Media/WorkerThread.h"

#include <memory>

class MpvSession;

// The platform media engine on libmpv: headless, pictures drawn by mpv's software
// renderer into VideoFrames. One thread of its own talks to mpv (all of mpv's own
// commands are asynchronous); decoding runs on mpv's threads.
//
// Started safely for addresses from the outside: no youtube-dl hook, no scripts, no
// configuration files, no files loaded beside the media, TLS verified against the
// configured bundle, lavf's HLS demuxer only (no playlist fallback). The address check
// is the caller's (mediaURLRefusal): mpv itself opens almost anything it is given.
class MpvEngine final : public MediaEngine {
public:
    MpvEngine();
    // Waits for mpv to shut down (it aborts its network reads first).
    ~MpvEngine() override;

private:
    void performLoad(std::uint64_t generation, const MediaRequest& request, bool paused) override;
    void performStop(std::uint64_t generation) override;
    void performSetPaused(bool paused) override;
    void performSetRate(double rate) override;
    void performSetVolume(double volume, bool muted) override;
    void performSeek(std::uint64_t generation, std::uint64_t seekId, double seconds) override;

    std::shared_ptr<MpvSession> session_;
    std::unique_ptr<WorkerThread> worker_;
};
