#pragma once

#include "platform/AVFoundation/Media/VideoGLContext.h"

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// One decoded picture of a video. Most frames are 32-bit pixels in memory without alpha
// (Cairo's RGB24: the bytes B, G, R, unused on little-endian machines), ready to be
// painted with Cairo. In a window, the platform engine draws its pictures into OpenGL
// textures of the window's context instead (see VideoGLContext); such a texture frame has
// no pixels in memory, and the window host draws it beneath the interface.
// A frame handed to the main thread is never written again.
class VideoFrame {
  public:
    // A black frame of `width` x `height` pixels whose rows are `stride` bytes apart
    // (a multiple of 64, so that decoders may write whole vectors), or a null pointer
    // when the size is not positive or the memory cannot be had.
    static std::shared_ptr<VideoFrame> make(int width, int height);
    // A frame over pixels owned elsewhere (memory shared with another process, say):
    // `release` runs when the frame goes, and the pixels stay untouched until then. Null
    // when the size is not positive or `stride` is too short for a row.
    static std::shared_ptr<VideoFrame> wrap(int width, int height, std::size_t stride, std::uint8_t* pixels,
                                            std::function<void()> release);
    // A frame whose picture is the OpenGL texture `texture` of `context`, `width` x
    // `height` pixels (first row at the top); `deleteTexture` runs when the frame goes,
    // unless the context went first (and the texture with it). Texture frames are made,
    // used and dropped on the main thread only.
    static std::shared_ptr<VideoFrame> makeTexture(int width, int height, unsigned texture,
                                                   const std::shared_ptr<VideoGLContext>& context,
                                                   std::function<void()> deleteTexture);

    ~VideoFrame();
    VideoFrame(const VideoFrame&) = delete;
    VideoFrame& operator=(const VideoFrame&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // The OpenGL texture of a texture frame while its context is there; 0 for a frame in
    // memory, and for a texture frame whose context is gone (it shows nothing any more).
    unsigned texture() const;
    // The pixels of a frame in memory (null for a texture frame).
    std::size_t stride() const { return stride_; }
    std::uint8_t* pixels() { return pixels_; }
    const std::uint8_t* pixels() const { return pixels_; }
    // The frame in memory as a Cairo image surface over the same pixels (owned by the
    // frame); null for a texture frame.
    cairo_surface_t* surface() const { return surface_; }

    // Whether every pixel of a frame in memory is black (all colour bytes zero): a frame
    // nothing was drawn into. A texture frame cannot be looked at here: false.
    bool isBlank() const;

  private:
    VideoFrame(int width, int height, std::size_t stride, std::uint8_t* pixels);
    VideoFrame(int width, int height, unsigned texture, const std::shared_ptr<VideoGLContext>& context,
               std::function<void()> deleteTexture);
    bool hasLiveTexture() const;

    int width_;
    int height_;
    std::size_t stride_ = 0;
    std::uint8_t* pixels_ = nullptr;
    cairo_surface_t* surface_ = nullptr;
    unsigned texture_ = 0;
    std::weak_ptr<VideoGLContext> context_;
    std::function<void()> deleteTexture_;
    // Set for a frame over pixels owned elsewhere, which are then not freed here.
    std::function<void()> releasePixels_;
};

// The frames a decoder thread writes into, reused once nobody but the pool holds them,
// so that steady playback allocates nothing. Used by one producer thread.
class VideoFramePool {
  public:
    // A frame of that size that nobody else holds, reusing a pooled one when possible.
    std::shared_ptr<VideoFrame> frame(int width, int height);

  private:
    static constexpr std::size_t capacity = 4;
    std::vector<std::shared_ptr<VideoFrame>> frames_;
};
