#pragma once

#include "platform/AliyunPlayer/PictureRing.h"
#include "platform/AliyunPlayer/PlaybinChannel.h"

#include <cstdint>
#include <memory>
#include <mutex>

// Hands the pipeline's pictures to the application: each is copied into a free slot of
// the shared picture ring and announced with a "frame" event. A picture of a new size
// starts a new ring, whose memory goes to the application with a "ring" event first. A
// picture that finds every slot still held by the application is dropped, and so is one
// that cannot be announced (its slot is taken back); a ring whose announcement could not
// be sent is announced again with the next picture.
class PicturePublisher {
  public:
    static constexpr int ringSlots = 5;

    explicit PicturePublisher(PlaybinChannel& channel) : channel_(channel) {}

    // From the streaming thread; `pixels` are BGRx rows `stride` bytes apart.
    void publish(std::uint64_t generation, int width, int height, const std::uint8_t* pixels,
                 std::size_t stride);

  private:
    bool ensureRing(int width, int height);
    bool announceRing();

    PlaybinChannel& channel_;
    std::mutex mutex_;
    std::unique_ptr<PictureRingWriter> ring_;
    std::uint64_t ringId_ = 0;
    bool ringAnnounced_ = false;
};
