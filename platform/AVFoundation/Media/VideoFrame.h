#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// One decoded picture of a video, as 32-bit pixels without alpha (Cairo's RGB24: the
// bytes B, G, R, unused on little-endian machines), ready to be painted with Cairo.
// A frame handed to the main thread is never written again.
class VideoFrame {
public:
    // A black frame of `width` x `height` pixels whose rows are `stride` bytes apart
    // (a multiple of 64, so that decoders may write whole vectors), or a null pointer
    // when the size is not positive or the memory cannot be had.
    static std::shared_ptr<VideoFrame> make(int width, int height);

    ~VideoFrame();
    VideoFrame(const VideoFrame&) = delete;
    VideoFrame& operator=(const VideoFrame&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    std::size_t stride() const { return stride_; }
    std::uint8_t* pixels() { return pixels_; }
    const std::uint8_t* pixels() const { return pixels_; }
    // The frame as a Cairo image surface over the same pixels (owned by the frame).
    cairo_surface_t* surface() const { return surface_; }

    // Whether every pixel is black (all colour bytes zero): a frame nothing was drawn into.
    bool isBlank() const;

private:
    VideoFrame(int width, int height, std::size_t stride, std::uint8_t* pixels);

    int width_;
    int height_;
    std::size_t stride_;
    std::uint8_t* pixels_;
    cairo_surface_t* surface_;
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
