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
    const std::size_t stride = (static_cast<std::size_t>(width) * 4 + rowAlignment - 1) / rowAlignment * rowAlignment;
    void* memory = std::aligned_alloc(rowAlignment, stride * static_cast<std::size_t>(height));
    if (memory == nullptr) {
        return nullptr;
    }
    std::memset(memory, 0, stride * static_cast<std::size_t>(height));
    return std::shared_ptr<VideoFrame>(new VideoFrame(width, height, stride, static_cast<std::uint8_t*>(memory)));
}

VideoFrame::VideoFrame(int width, int height, std::size_t stride, std::uint8_t* pixels)
    : width_(width), height_(height), stride_(stride), pixels_(pixels),
      surface_(cairo_image_surface_create_for_data(pixels, CAIRO_FORMAT_RGB24, width, height, static_cast<int>(stride))) {}

VideoFrame::~VideoFrame() {
    cairo_surface_destroy(surface_);
    std::free(pixels_);
}

bool VideoFrame::isBlank() const {
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
