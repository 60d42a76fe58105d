#pragma once

#include <gst/gst.h>

#include <mutex>
#include <utility>
#include <vector>

// Holds the parsed media of a pipeline's adaptive demuxer (HLS, DASH) back until the
// demuxer has exposed its outputs.
//
// GStreamer 1.22's adaptive demuxers download and parse fragments on one thread and
// expose their outputs on another. A stream that reaches its end before any output exists
// is failed ("Couldn't download fragments": its end has nowhere to go), which a short
// media from a fast origin meets whenever the output thread is scheduled late: a busy
// machine, a process whose first playback this is. Here the parser's outputs hold their
// buffers until the demuxer's first output has sent its first event; the download thread
// parses what it downloads, so it cannot reach the end before then. Events pass, so the
// demuxer learns its tracks and can expose them; nothing else changes (the demuxer reads
// ahead as far as it would, the outputs take the data in the same order).
//
// Lives as long as its pipeline, whose threads call it: a helper's pipeline lasts as long
// as the helper's process.
class AdaptiveDemuxerGate {
  public:
    explicit AdaptiveDemuxerGate(GstElement* pipeline);
    AdaptiveDemuxerGate(const AdaptiveDemuxerGate&) = delete;
    AdaptiveDemuxerGate& operator=(const AdaptiveDemuxerGate&) = delete;

  private:
    void elementAdded(GstBin* parent, GstElement* element);
    void hold(GstPad* pad);
    void watchOutput(GstPad* pad);
    void open();

    std::mutex mutex_;
    GstElement* demuxer_ = nullptr;
    bool open_ = false;
    // The parser's outputs held back, each with its blocking probe.
    std::vector<std::pair<GstPad*, gulong>> held_;
};
