#pragma once

#include <gst/gst.h>

#include <mutex>
#include <utility>
#include <vector>

// Holds the media data of a pipeline's adaptive demuxer (HLS, DASH) back until the
// demuxer has exposed its outputs.
//
// GStreamer's adaptive demuxers (1.22) download and parse fragments on one thread and
// expose their outputs on another. A stream that reaches its end before the outputs
// exist is reported as a failure ("Couldn't download fragments": the end cannot be sent
// downstream), which a short media from a fast origin (loopback, the media cache) does
// whenever the output thread is slow to be scheduled, as on a busy machine. Here the
// parsed data waits at the demuxer's parser until the first output exists, so the
// download thread cannot reach the end before it; nothing else changes (the demuxer
// reads ahead as far as it would, the outputs take the data in the same order).
//
// Made with its pipeline and destroyed after the pipeline; GStreamer's threads call it.
class AdaptiveDemuxerGate {
  public:
    explicit AdaptiveDemuxerGate(GstElement* pipeline);
    ~AdaptiveDemuxerGate();
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
