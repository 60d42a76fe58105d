#include "platform/AliyunPlayer/helper/PicturePublisher.h"

#include <cstring>

void PicturePublisher::publish(std::uint64_t generation, int width, int height, const std::uint8_t* pixels,
                               std::size_t stride) {
    std::lock_guard lock(mutex_);
    if (!ensureRing(width, height) || !announceRing()) {
        return;
    }
    const auto slot = ring_->freeSlot();
    if (!slot) {
        return;
    }
    std::uint8_t* target = ring_->pixels(*slot);
    const std::size_t targetStride = ring_->layout().stride;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int row = 0; row < height; ++row) {
        std::memcpy(target + targetStride * static_cast<std::size_t>(row),
                    pixels + stride * static_cast<std::size_t>(row), rowBytes);
    }
    ring_->handOver(*slot);
    if (!channel_.send(
            {{"event", "frame"}, {"generation", generation}, {"ring", ringId_}, {"slot", *slot}})) {
        ring_->takeBack(*slot);
    }
}

bool PicturePublisher::ensureRing(int width, int height) {
    if (ring_ && ring_->layout().width == width && ring_->layout().height == height) {
        return true;
    }
    ring_.reset();
    const auto layout = PictureRingLayout::of(width, height, ringSlots);
    if (!layout) {
        return false;
    }
    ring_ = PictureRingWriter::create(*layout);
    if (!ring_) {
        return false;
    }
    ++ringId_;
    ringAnnounced_ = false;
    return true;
}

bool PicturePublisher::announceRing() {
    if (!ringAnnounced_) {
        ringAnnounced_ = channel_.send({{"event", "ring"},
                                        {"ring", ringId_},
                                        {"width", ring_->layout().width},
                                        {"height", ring_->layout().height},
                                        {"slots", ringSlots}},
                                       ring_->descriptor());
    }
    return ringAnnounced_;
}
