#pragma once

#include "platform/AVFoundation/Media/VideoFrame.h"
#include "platform/AVFoundation/Media/VideoGLContext.h"
#include "platform/AVFoundation/mpv/MpvLibrary.h"
#include "platform/AVFoundation/mpv/MpvPictureLink.h"

#include <mpv/client.h>
#include <mpv/render.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// mpv's OpenGL renderer for one mpv handle, drawing into textures of the window's context
// on the main thread (where the window host keeps that context current and draws). Each
// new picture goes into a texture nobody else holds, at the video's size, and is handed
// on as a texture frame. mpv's update callback only asks the main thread for a render
// (through the link); mpv is never called from inside it.
class MpvGLRenderer {
  public:
    using FrameHandler = std::function<void(std::uint64_t generation, std::shared_ptr<VideoFrame> frame)>;

    // mpv's renderer for `handle` in `context`, or null when mpv refuses. `frames` gets
    // every picture with the link's generation; `withdrawn` runs once the context is
    // withdrawn (the renderer is released then).
    static std::unique_ptr<MpvGLRenderer> make(mpv_handle* handle, std::shared_ptr<VideoGLContext> context,
                                               std::shared_ptr<MpvPictureLink> link, FrameHandler frames,
                                               std::function<void()> withdrawn);
    ~MpvGLRenderer();
    MpvGLRenderer(const MpvGLRenderer&) = delete;
    MpvGLRenderer& operator=(const MpvGLRenderer&) = delete;

    // Frees mpv's renderer (which must go before mpv itself) and the textures nobody else
    // holds; renders nothing afterwards.
    void release();

  private:
    struct Functions;
    // A texture with the framebuffer that draws into it; the frame owns both.
    struct Target {
        std::shared_ptr<VideoFrame> frame;
        unsigned framebuffer = 0;
    };

    MpvGLRenderer(std::shared_ptr<VideoGLContext> context, std::shared_ptr<MpvPictureLink> link,
                  FrameHandler frames);
    // Draws mpv's new picture, or the last one again once its size is known.
    void render();
    // A target of that size that nobody else holds; empty when OpenGL refuses.
    Target target(int width, int height);
    bool draw(const Target& target);

    std::shared_ptr<VideoGLContext> context_;
    std::shared_ptr<MpvPictureLink> link_;
    FrameHandler frames_;
    std::shared_ptr<Functions> gl_;
    // Held as long as mpv's renderer exists.
    std::shared_ptr<const MpvLibrary> mpv_;
    mpv_render_context* renderer_ = nullptr;
    std::shared_ptr<void> withdrawal_;
    std::vector<Target> targets_;
    // mpv has a picture waiting to be rendered.
    bool framePending_ = false;
    // The last picture was taken before its size was known and must be drawn again.
    bool redrawPending_ = false;
};
