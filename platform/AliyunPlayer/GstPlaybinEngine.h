#pragma once

#include "platform/AVFoundation/Media/WorkerSessionEngine.h"

class GstPlaybinSession;

// The second playback engine, on GStreamer's playbin3 (whose HLS demuxer follows only
// network segment addresses): pictures arrive through an appsink as BGRx into the same
// VideoFrames as the first engine's. A thread of its own drives the pipeline, so that
// state changes and seeks never hold up the main thread.
//
// Header fields reach only the first request (the playlist); the user agent reaches
// every request, segments included: that is as far as GStreamer's HLS demuxer passes
// them on. The address check is the caller's (mediaURLRefusal).
class GstPlaybinEngine final : public WorkerSessionEngine<GstPlaybinSession> {
  public:
    GstPlaybinEngine();
    ~GstPlaybinEngine() override;
};
