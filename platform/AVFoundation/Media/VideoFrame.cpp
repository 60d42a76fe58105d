#include "platform/AVFoundation/Media/VideoFrame.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t rowAlignment = 64;
// Larger pictures than this are refused rather than allocated (8K UHD and a margin).
constexpr int maximumSide = 8192;

} // namespace

std::shared_ptr<VideoFrame> VideoFrame::make(int width, int height) {
    if (width <= 0 || height <= 0 || width > maximumSide || height > maximumSide) {
        return nullptr;
    }
    const std::size_t stride =
        (static_cast<std::size_t>(width) * 4 + rowAlignment - 1) / rowAlignment * rowAlignment;
    void* memory = std::aligned_alloc(rowAlignment, stride * static_cast<std::size_t>(height));
    if (memory == nullptr) {
        return nullptr;
    }
    std::memset(memory, 0, stride * static_cast<std::size_t>(height));
    return std::shared_ptr<VideoFrame>(
        new VideoFrame(width, height, stride, static_cast<std::uint8_t*>(memory)));
}

std::shared_ptr<VideoFrame> VideoFrame::wrap(int width, int height, std::size_t stride, std::uint8_t* pixels,
                                             std::function<void()> release) {
    if (width <= 0 || height <= 0 || width > maximumSide || height > maximumSide || pixels == nullptr ||
        stride < static_cast<std::size_t>(width) * 4 || stride % 4 != 0) {
        return nullptr;
    }
    std::shared_ptr<VideoFrame> frame(new VideoFrame(width, height, stride, pixels));
    frame->releasePixels_ = std::move(release);
    return frame;
}

VideoFrame::VideoFrame(int width, int height, std::size_t stride, std::uint8_t* pixels)
    : width_(width), height_(height), stride_(stride), pixels_(pixels),
      surface_(cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, width, height,
                                                   static_cast<int>(stride))) {}

std::shared_ptr<VideoFrame> VideoFrame::makeTexture(int width, int height, unsigned texture,
                                                    const std::shared_ptr<VideoGLContext>& context,
                                                    std::function<void()> deleteTexture) {
    if (width <= 0 || height <= 0 || texture == 0 || !context) {
        return nullptr;
    }
    return std::shared_ptr<VideoFrame>(
        new VideoFrame(width, height, texture, context, std::move(deleteTexture)));
}

VideoFrame::VideoFrame(int width, int height, unsigned texture,
                       const std::shared_ptr<VideoGLContext>& context, std::function<void()> deleteTexture)
    : width_(width), height_(height), texture_(texture), context_(context),
      deleteTexture_(std::move(deleteTexture)) {}

VideoFrame::~VideoFrame() {
    if (surface_ != nullptr) {
        cairo_surface_destroy(surface_);
    }
    if (releasePixels_) {
        releasePixels_();
    } else {
        std::free(pixels_);
    }
    if (deleteTexture_ && hasLiveTexture()) {
        deleteTexture_();
    }
}

bool VideoFrame::hasLiveTexture() const {
    const auto context = context_.lock();
    return texture_ != 0 && context && context->isAlive();
}

unsigned VideoFrame::texture() const {
    return hasLiveTexture() ? texture_ : 0;
}

bool VideoFrame::isBlank() const {
    if (pixels_ == nullptr) {
        return false;
    }
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* row = pixels_ + stride_ * static_cast<std::size_t>(y);
        for (int x = 0; x < width_; ++x) {
            if (row[x * 4] != 0 || row[x * 4 + 1] != 0 || row[x * 4 + 2] != 0) {
                return false;
            }
        }
    }
    return true;
}

std::shared_ptr<VideoFrame> VideoFramePool::frame(int width, int height) {
    for (auto& pooled : frames_) {
        if (pooled.use_count() == 1 && pooled->width() == width && pooled->height() == height) {
            return pooled;
        }
    }
    auto fresh = VideoFrame::make(width, height);
    if (!fresh) {
        return nullptr;
    }
    // Frames of another size, or too many frames, make room for the new one.
    std::erase_if(frames_, [&](const auto& pooled) {
        return pooled.use_count() == 1 && (pooled->width() != width || pooled->height() != height);
    });
    if (frames_.size() < capacity) {
        frames_.push_back(fresh);
    }
    return fresh;
}
