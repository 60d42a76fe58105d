#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"

#include <sys/types.h>

#include <memory>

class PlaybinHelperLink;

// The second playback engine, on GStreamer's playbin3, which runs in helper processes
// ("orvex-playbin") and never in this one: GStreamer's HLS demuxer can abort the process
// it runs in (as a pipeline is torn down while segments download), and then it costs one
// playback. Each load gets a helper of its own; stopping or replacing the load ends that
// helper's process, so no teardown of GStreamer's is ever waited for here. A helper that
// crashes, is killed or stops answering fails its load as a load that cannot be played
// does. One started helper waits for the next load, so that a load need not wait for
// GStreamer to start. Pictures arrive as BGRx through memory shared with the helper;
// sound plays from the helper.
//
// Header fields reach only the first request (the playlist); the user agent reaches
// every request, segments included: that is as far as GStreamer's HLS demuxer passes
// them on. The address check is the caller's (mediaURLRefusal).
class GstPlaybinEngine final : public MediaEngine {
  public:
    GstPlaybinEngine();
    ~GstPlaybinEngine() override;

    // The process of the helper playing the current load; 0 when none does.
    pid_t helperProcessForTesting() const;

  private:
    void performLoad(std::uint64_t generation, const MediaRequest& request, bool paused) override;
    void performStop(std::uint64_t generation) override;
    void performSetPaused(bool paused) override;
    void performSetRate(double rate) override;
    void performSetVolume(double volume, bool muted) override;
    void performSeek(std::uint64_t generation, std::uint64_t seekId, double seconds) override;

    std::unique_ptr<PlaybinHelperLink> link_;
};
