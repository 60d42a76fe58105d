#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/AVFoundation/Media/MediaSessionReport.h"
#include "platform/AliyunPlayer/helper/AdaptiveDemuxerGate.h"

#include <gst/gst.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

// The one pipeline of a second-engine helper process (GStreamer's playbin3, whose HLS
// demuxer follows only network segment addresses) and everything known about it, driven
// by the helper's loop. Pictures arrive through an appsink as BGRx and go to the picture
// handler, on a streaming thread. A pipeline is never stopped: the helper's process ends
// with it, so no teardown of GStreamer's can crash or hang anything else.
//
// Header fields reach only the first request (the playlist); the user agent reaches
// every request, segments included: that is as far as GStreamer's HLS demuxer passes
// them on.
class GstPlaybinSession {
  public:
    struct Options {
        std::filesystem::path certificateAuthorityFile;
        bool audioOutput = true;
    };
    // A picture of the load of `generation`: `width` x `height` BGRx pixels, rows
    // `stride` bytes apart, valid during the call only.
    using PictureHandler = std::function<void(std::uint64_t generation, int width, int height,
                                              const std::uint8_t* pixels, std::size_t stride)>;

    // `wakeUp` makes the loop step soon; streaming threads call it.
    GstPlaybinSession(Options options, std::function<void()> wakeUp, PictureHandler pictures);
    // Leaves the pipeline as it is: a session lasts as long as its helper's process.
    ~GstPlaybinSession();
    GstPlaybinSession(const GstPlaybinSession&) = delete;
    GstPlaybinSession& operator=(const GstPlaybinSession&) = delete;

    void setOutlets(MediaEngineOutlets outlets) { report_.setOutlets(std::move(outlets)); }

    // Makes sure GStreamer is initialised; on failure the load fails.
    void start();
    // Handles the pipeline's messages and reads its position.
    void step();
    // Whether the load has failed and been reported: nothing more will happen.
    bool finished() const { return finished_; }

    // Opens `request`; a helper opens one request only.
    void load(std::uint64_t generation, const MediaRequest& request, bool paused);
    void setPaused(bool paused);
    void setRate(double rate);
    void setVolume(double volume, bool muted);
    void seek(std::uint64_t generation, std::uint64_t seekId, double seconds);

    // What the streaming threads need of the pipeline.
    struct PictureSink;

  private:
    bool buildPipeline(const MediaRequest& request);
    void configureSource(GstElement* source);
    void handle(GstMessage* message);
    void handleAsyncDone();
    void sendStartSeek();
    bool standsAtStartPosition();
    void becomeReady();
    void readPosition();
    bool seekPipeline(double seconds);
    void applyPlayState();
    void fail(const std::string& reason);
    void publish();

    Options options_;
    std::function<void()> wakeUp_;
    PictureHandler pictureHandler_;
    MediaSessionReport report_;
    std::string startError_;
    bool finished_ = false;

    GstElement* pipeline_ = nullptr;
    GstBus* bus_ = nullptr;
    std::unique_ptr<PictureSink> pictures_;
    std::unique_ptr<AdaptiveDemuxerGate> demuxerGate_;

    std::uint64_t generation_ = 0;
    MediaRequest request_;
    std::chrono::steady_clock::time_point loadStarted_;
    bool prerolled_ = false;
    // The seek to the start position (or to the rate) that makes a load ready: wanted
    // while the pipeline refuses it, sent until it lands.
    enum class StartSeek { None, Wanted, Sent };
    StartSeek startSeek_ = StartSeek::None;
    int startSeekRetries_ = 0;
    std::chrono::steady_clock::time_point prerolledAt_;
    std::chrono::steady_clock::time_point startSeekSentAt_;
    bool rateSeekPending_ = false;
    bool paused_ = true;
    bool bufferingMessage_ = false;
    double rate_ = 1;
    double volume_ = 1;
    bool muted_ = false;
    MediaEngineState state_;
};
