#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/AVFoundation/Media/MediaSessionReport.h"
#include "platform/AVFoundation/Media/VideoFrame.h"
#include "platform/AliyunPlayer/AdaptiveDemuxerGate.h"

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

// The pipeline of one GstPlaybinEngine and everything known about it, used on the
// engine's worker thread only (except `wakeUp` and the appsink's picture callbacks,
// which GStreamer calls from its streaming threads).
class GstPlaybinSession {
  public:
    struct Options {
        std::filesystem::path certificateAuthorityFile;
        bool audioOutput = true;
    };

    GstPlaybinSession(Options options, std::function<void()> wakeUp);
    ~GstPlaybinSession();

    void setOutlets(MediaEngineOutlets outlets) { report_.setOutlets(std::move(outlets)); }

    // Makes sure GStreamer is initialised; on failure every later load fails.
    void start();
    // Tears the pipeline down.
    void finish();
    // Handles the pipeline's messages and reads its position.
    void step();

    void load(std::uint64_t generation, const MediaRequest& request, bool paused);
    void stop(std::uint64_t generation);
    void setPaused(bool paused);
    void setRate(double rate);
    void setVolume(double volume, bool muted);
    void seek(std::uint64_t generation, std::uint64_t seekId, double seconds);

    // What the streaming threads need of one pipeline; lives as long as the pipeline.
    struct PictureSink;

  private:
    // Hands the pipeline over to be stopped and freed (see retirePipeline).
    void tearDown();
    static void retirePipeline(GstElement* pipeline, GstBus* bus, std::unique_ptr<PictureSink> pictures,
                               std::unique_ptr<AdaptiveDemuxerGate> demuxerGate);
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
    MediaSessionReport report_;
    std::string startError_;

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
