#pragma once

#include <gst/gst.h>

#include <chrono>
#include <mutex>
#include <optional>
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

    // Called for every message the pipeline posts, on the posting thread.
    void notePosted(GstMessage* message);

    // Readies the demuxer to be stopped with its pipeline, which waits for its threads:
    // lets everything held here pass, now and from now on, and waits until the demuxer
    // has been running for `settle` and its download thread waits in its loop.
    //
    // The demuxers (1.22) start a download thread as they start and, as they stop, ask
    // its event loop to quit and wait for the thread. A quit asked for before the new
    // thread has entered its loop is lost (the loop clears it as it starts), so a demuxer
    // stopped within moments of its start, as a quick switch does on a busy machine,
    // waits for ever. Call it once nothing can start the demuxer any more.
    void prepareToStop(std::chrono::milliseconds settle);

  private:
    void elementAdded(GstBin* parent, GstElement* element);
    void hold(GstPad* pad);
    void watchOutput(GstPad* pad);
    void open();

    std::mutex mutex_;
    GstElement* demuxer_ = nullptr;
    bool open_ = false;
    // When the demuxer started (its download thread with it).
    std::optional<std::chrono::steady_clock::time_point> started_;
    // The parser's outputs held back, each with its blocking probe.
    std::vector<std::pair<GstPad*, gulong>> held_;
};
