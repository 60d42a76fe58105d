#include "platform/AliyunPlayer/PictureRing.h"

#include <atomic>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Each slot begins with its holder word, then the pixels at a cache line's distance.
constexpr std::size_t pixelOffset = 64;
constexpr std::size_t pageBytes = 4096;
constexpr std::size_t rowAlignment = 64;
constexpr int maximumSide = 8192;
constexpr int maximumSlots = 16;

// The memory can neither shrink nor grow, and no seal can be taken away or added.
constexpr int ringSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL;

constexpr std::uint32_t freeSlotValue = 0;
constexpr std::uint32_t heldByApplication = 1;

std::atomic_ref<std::uint32_t> holderAt(std::uint8_t* memory, const PictureRingLayout& layout, int slot) {
    return std::atomic_ref<std::uint32_t>(
        *reinterpret_cast<std::uint32_t*>(memory + layout.slotBytes * static_cast<std::size_t>(slot)));
}

} // namespace

std::optional<PictureRingLayout> PictureRingLayout::of(int width, int height, int slots) {
    if (width <= 0 || height <= 0 || width > maximumSide || height > maximumSide || slots <= 0 ||
        slots > maximumSlots) {
        return std::nullopt;
    }
    PictureRingLayout layout;
    layout.width = width;
    layout.height = height;
    layout.stride = (static_cast<std::size_t>(width) * 4 + rowAlignment - 1) / rowAlignment * rowAlignment;
    layout.slots = slots;
    layout.slotBytes = (pixelOffset + layout.stride * static_cast<std::size_t>(height) + pageBytes - 1) /
                       pageBytes * pageBytes;
    return layout;
}

std::unique_ptr<PictureRingWriter> PictureRingWriter::create(const PictureRingLayout& layout) {
    const int descriptor = ::memfd_create("orvex-pictures", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (descriptor < 0) {
        return nullptr;
    }
    if (::ftruncate(descriptor, static_cast<off_t>(layout.totalBytes())) != 0 ||
        ::fcntl(descriptor, F_ADD_SEALS, ringSeals) != 0) {
        ::close(descriptor);
        return nullptr;
    }
    void* memory = ::mmap(nullptr, layout.totalBytes(), PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    if (memory == MAP_FAILED) {
        ::close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<PictureRingWriter>(
        new PictureRingWriter(layout, descriptor, static_cast<std::uint8_t*>(memory)));
}

PictureRingWriter::PictureRingWriter(const PictureRingLayout& layout, int descriptor, std::uint8_t* memory)
    : layout_(layout), descriptor_(descriptor), memory_(memory) {}

PictureRingWriter::~PictureRingWriter() {
    ::munmap(memory_, layout_.totalBytes());
    ::close(descriptor_);
}

std::optional<int> PictureRingWriter::freeSlot() const {
    for (int slot = 0; slot < layout_.slots; ++slot) {
        if (holderAt(memory_, layout_, slot).load(std::memory_order_acquire) == freeSlotValue) {
            return slot;
        }
    }
    return std::nullopt;
}

std::uint8_t* PictureRingWriter::pixels(int slot) {
    return memory_ + layout_.slotBytes * static_cast<std::size_t>(slot) + pixelOffset;
}

void PictureRingWriter::handOver(int slot) {
    holderAt(memory_, layout_, slot).store(heldByApplication, std::memory_order_release);
}

void PictureRingWriter::takeBack(int slot) {
    holderAt(memory_, layout_, slot).store(freeSlotValue, std::memory_order_release);
}

std::shared_ptr<PictureRingReader> PictureRingReader::map(int descriptor, const PictureRingLayout& layout) {
    // Only memory sealed at its announced size: memory the helper could shrink under the
    // mapping would fault here wherever a picture of it is read or given back.
    struct stat status {};
    const int seals = ::fcntl(descriptor, F_GET_SEALS);
    const bool sound = seals >= 0 && (seals & ringSeals) == ringSeals && ::fstat(descriptor, &status) == 0 &&
                       S_ISREG(status.st_mode) && status.st_size >= 0 &&
                       static_cast<std::size_t>(status.st_size) == layout.totalBytes();
    void* memory =
        sound ? ::mmap(nullptr, layout.totalBytes(), PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0)
              : MAP_FAILED;
    ::close(descriptor);
    if (memory == MAP_FAILED) {
        return nullptr;
    }
    return std::shared_ptr<PictureRingReader>(
        new PictureRingReader(layout, static_cast<std::uint8_t*>(memory)));
}

PictureRingReader::PictureRingReader(const PictureRingLayout& layout, std::uint8_t* memory)
    : layout_(layout), memory_(memory) {}

PictureRingReader::~PictureRingReader() {
    ::munmap(memory_, layout_.totalBytes());
}

std::shared_ptr<VideoFrame> PictureRingReader::frame(int slot) {
    if (slot < 0 || slot >= layout_.slots) {
        return nullptr;
    }
    std::uint8_t* pixels = memory_ + layout_.slotBytes * static_cast<std::size_t>(slot) + pixelOffset;
    auto frame = VideoFrame::wrap(layout_.width, layout_.height, layout_.stride, pixels,
                                  [ring = shared_from_this(), slot] { ring->release(slot); });
    if (!frame) {
        release(slot);
    }
    return frame;
}

void PictureRingReader::release(int slot) {
    if (slot >= 0 && slot < layout_.slots) {
        holderAt(memory_, layout_, slot).store(freeSlotValue, std::memory_order_release);
    }
}
