#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/AVFoundation/Media/WorkerThread.h"

#include <memory>

class GstPlaybinSession;

// The second playback engine, on GStreamer's playbin3 (whose HLS demuxer follows only
// network segment addresses): pictures arrive through an appsink as BGRx into the same
// VideoFrames as the first engine's. A thread of its own drives the pipeline, so that
// state changes and seeks never hold up the main thread.
//
// Header fields reach only the first request (the playlist); the user agent reaches
// every request, segments included: that is as far as GStreamer's HLS demuxer passes
// them on. The address check is the caller's (mediaURLRefusal).
class GstPlaybinEngine final : public MediaEngine {
public:
    GstPlaybinEngine();
    ~GstPlaybinEngine() override;

private:
    void performLoad(std::uint64_t generation, const MediaRequest& request, bool paused) override;
    void performStop(std::uint64_t generation) override;
    void performSetPaused(bool paused) override;
    void performSetRate(double rate) override;
    void performSetVolume(double volume, bool muted) override;
    void performSeek(std::uint64_t generation, std::uint64_t seekId, double seconds) override;

    std::shared_ptr<GstPlaybinSession> session_;
    std::unique_ptr<WorkerThread> worker_;
};
