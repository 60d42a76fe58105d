#pragma once

#include "platform/AVFoundation/Media/VideoGLContext.h"
#include "platform/AVFoundation/Media/WorkerSessionEngine.h"

#include <mpv/client.h>

#include <memory>

class MpvGLRenderer;
class MpvPictureLink;
class MpvSession;

// The platform media engine on libmpv. One thread of its own talks to mpv (all of mpv's
// own commands are asynchronous); decoding runs on mpv's threads. Headless, mpv's software
// renderer draws the pictures into VideoFrames on that thread. In a window (when the
// window host lends its OpenGL context as the engine is made), mpv's OpenGL renderer draws
// them into textures of that context on the main thread, which the host draws beneath the
// interface: libmpv documents its software renderer as slow.
//
// Started safely for addresses from the outside: no youtube-dl hook, no scripts, no
// configuration files, no files loaded beside the media, TLS verified against the
// configured bundle, lavf's HLS demuxer only (no playlist fallback). The address check
// is the caller's (mediaURLRefusal): mpv itself opens almost anything it is given.
class MpvEngine final : public WorkerSessionEngine<MpvSession> {
  public:
    MpvEngine();
    // Frees mpv's OpenGL renderer, then lets mpv shut down on the worker (never waited
    // for: it aborts its network reads first, but a name lookup runs to its end).
    ~MpvEngine() override;

  private:
    // Makes mpv's OpenGL renderer for `handle` (main thread), or has the worker draw.
    void attachRenderer(mpv_handle* handle, const std::shared_ptr<VideoGLContext>& context);

    std::shared_ptr<MpvPictureLink> link_;
    std::unique_ptr<MpvGLRenderer> renderer_;
    // Alive as long as the engine: work posted to the main queue checks it first.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
