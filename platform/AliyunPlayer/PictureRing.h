#pragma once

#include "platform/AVFoundation/Media/VideoFrame.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

// Pictures of one size that a second-engine helper hands to the application through
// shared memory: a few slots, each a word saying who holds it and the pixels of one
// picture (Cairo's RGB24, rows `stride` bytes apart). The helper writes into a slot nobody
// holds and hands it over; the application shows it as a VideoFrame and gives the slot
// back when the frame goes. A picture is copied once, from the decoder into its slot.
struct PictureRingLayout {
    int width = 0;
    int height = 0;
    std::size_t stride = 0;
    int slots = 0;
    std::size_t slotBytes = 0;

    // The layout of a ring of `slots` pictures of `width` x `height`; nothing for sizes
    // no frame may have.
    static std::optional<PictureRingLayout> of(int width, int height, int slots);
    std::size_t totalBytes() const { return slotBytes * static_cast<std::size_t>(slots); }
    bool operator==(const PictureRingLayout&) const = default;
};

// The helper's side: creates the shared memory, sealed at its size.
class PictureRingWriter {
  public:
    static std::unique_ptr<PictureRingWriter> create(const PictureRingLayout& layout);
    ~PictureRingWriter();
    PictureRingWriter(const PictureRingWriter&) = delete;
    PictureRingWriter& operator=(const PictureRingWriter&) = delete;

    const PictureRingLayout& layout() const { return layout_; }
    // The memory's descriptor, to be sent to the application.
    int descriptor() const { return descriptor_; }

    // A slot the application does not hold, or nothing (it holds them all: the picture
    // is dropped, as a late picture is).
    std::optional<int> freeSlot() const;
    std::uint8_t* pixels(int slot);
    // Hands `slot`, written, to the application.
    void handOver(int slot);
    // Takes `slot` back, handed over but never announced to the application.
    void takeBack(int slot);

  private:
    PictureRingWriter(const PictureRingLayout& layout, int descriptor, std::uint8_t* memory);
    std::uint32_t& holder(int slot);

    PictureRingLayout layout_;
    int descriptor_;
    std::uint8_t* memory_;
};

// The application's side: the helper's memory, mapped.
class PictureRingReader : public std::enable_shared_from_this<PictureRingReader> {
  public:
    // Maps `descriptor` (taken over) when it is memory sealed at the size of `layout`
    // (neither shrinking nor growing, its seals fixed); null otherwise.
    static std::shared_ptr<PictureRingReader> map(int descriptor, const PictureRingLayout& layout);
    ~PictureRingReader();
    PictureRingReader(const PictureRingReader&) = delete;
    PictureRingReader& operator=(const PictureRingReader&) = delete;

    const PictureRingLayout& layout() const { return layout_; }
    // The picture in `slot` as a frame that gives the slot back when it goes (and keeps
    // the memory mapped until then); null for a slot the ring does not have.
    std::shared_ptr<VideoFrame> frame(int slot);
    // Gives `slot` back without showing it.
    void release(int slot);

  private:
    PictureRingReader(const PictureRingLayout& layout, std::uint8_t* memory);

    PictureRingLayout layout_;
    std::uint8_t* memory_;
};
