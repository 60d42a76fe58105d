#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/AVFoundation/Media/MediaSessionReport.h"
#include "platform/AVFoundation/Media/VideoFrame.h"
#include "platform/AVFoundation/mpv/MpvLibrary.h"
#include "platform/AVFoundation/mpv/MpvPictureLink.h"

#include <mpv/client.h>
#include <mpv/render.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The mpv handle of one MpvEngine and everything known about it, used on the engine's
// worker thread only (except `wakeUp`, which mpv calls from its own threads).
//
// Pictures are drawn either here, by mpv's software renderer into VideoFrames in memory,
// or, in a window, by mpv's OpenGL renderer on the main thread (MpvGLRenderer). mpv must
// have its renderer before it opens a media, so in the second case loads wait until the
// main thread has made it (`rendererReady`) or given up on it (`useSoftwareRenderer`).
class MpvSession {
  public:
    struct Options {
        std::filesystem::path certificateAuthorityFile;
        bool audioOutput = true;
        // Pictures are drawn into textures by a renderer on the main thread.
        bool picturesInTextures = false;
    };

    // `started` runs on the worker once mpv runs, when pictures go into textures: it
    // has the main thread make mpv's renderer for the handle.
    MpvSession(Options options, std::function<void()> wakeUp, std::shared_ptr<MpvPictureLink> link,
               std::function<void(mpv_handle*)> started);

    // mpv's options for an engine with `options`, set before mpv starts (the certificate
    // bundle aside). The benchmarks give the mpv command line the same.
    static std::vector<std::pair<const char*, std::string>> startSettings(const Options& options);

    // Loads libmpv, creates and starts mpv; on failure every later load fails with the
    // reason.
    void start();
    // mpv's OpenGL renderer exists: a load held back goes ahead.
    void rendererReady();
    // Pictures are drawn here from now on (the OpenGL renderer could not be made, or is
    // gone with the window's context).
    void useSoftwareRenderer();
    // Frees the renderer, then mpv (and hands its memory back).
    void finish();
    // Handles mpv's events and draws a new picture when one is due.
    void step();

    void load(std::uint64_t generation, const MediaRequest& request, bool paused);
    void stop(std::uint64_t generation);
    void setPaused(bool paused);
    void setRate(double rate);
    void setVolume(double volume, bool muted);
    void seek(std::uint64_t generation, std::uint64_t seekId, double seconds);

    void setOutlets(MediaEngineOutlets outlets) { report_.setOutlets(std::move(outlets)); }

  private:
    bool createSoftwareRenderer();
    void sendLoad(const MediaRequest& request);
    void handle(const mpv_event& event);
    void handleReply(const mpv_event& event);
    void handleProperty(const mpv_event_property& property);
    void handleEndFile(const mpv_event_end_file& end);
    void shareVideoSize();
    void adoptMediaFacts();
    void render();
    std::shared_ptr<VideoFrame> draw(int width, int height);
    void fail(const std::string& reason);
    void publish();
    void endSeek(bool finished);
    void setFlag(const char* name, bool value);
    void setDouble(const char* name, double value);

    Options options_;
    std::function<void()> wakeUp_;
    std::shared_ptr<MpvPictureLink> link_;
    std::function<void(mpv_handle*)> started_;
    MediaSessionReport report_;

    // Loaded by `start`, and let go only with the session: after `finish`, once the
    // engine's worker thread has ended too, so that nothing of the library's is left on
    // that thread (thread-local data, key destructors) when it is unloaded.
    std::shared_ptr<const MpvLibrary> mpv_;
    mpv_handle* handle_ = nullptr;
    // The software renderer, when pictures are drawn here.
    mpv_render_context* renderer_ = nullptr;
    // Some renderer exists, so mpv may open media.
    bool rendererReady_ = false;
    // A load waits for the renderer.
    bool loadHeld_ = false;
    std::string startError_;
    std::atomic<bool> renderWanted_{false};
    VideoFramePool frames_;
    // mpv has a picture waiting to be rendered.
    bool framePending_ = false;
    // A picture was taken before its size was known and must be drawn again.
    bool redrawPending_ = false;
    // mpv's current values of these properties, whatever is loaded.
    double mirroredDuration_ = 0;
    int mirroredWidth_ = 0;
    int mirroredHeight_ = 0;

    // The load in force: its generation, mpv's playlist entry, and what was seen.
    std::uint64_t generation_ = 0;
    MediaRequest request_;
    bool reopening_ = false;
    std::int64_t entryId_ = -1;
    bool entryActive_ = false;
    bool followRedirect_ = false;
    bool paused_ = true;
    bool pausedForCache_ = false;
    // mpv's last word on "eof-reached" for the entry.
    bool eofReached_ = false;
    std::string lastError_;
    MediaEngineState state_;

    // The seek in flight (the report's) was acknowledged by mpv; the next playback restart
    // ends it.
    bool seekAcknowledged_ = false;
};
