// Whatever a second-engine helper sends, the application's reading of it answers without
// a crash or undefined behaviour: the channel takes the packet in, the report is checked
// against what the helper was asked, picture memory is mapped only when it is sound, and
// a picture only from a slot its ring has. The first byte says what the helper was asked
// and whether the packet carries memory; the rest is the packet.
#include "platform/AliyunPlayer/PictureRing.h"
#include "platform/AliyunPlayer/PlaybinChannel.h"
#include "platform/AliyunPlayer/PlaybinReports.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int ringSlots = 5;

struct Boundary {
    PlaybinChannel* helper = nullptr;
    PlaybinChannel* application = nullptr;
    // A ring the application already holds, for pictures to come from.
    std::unique_ptr<PictureRingWriter> writer;
    std::shared_ptr<PictureRingReader> reader;

    Boundary() {
        int sockets[2];
        if (!makePlaybinSocketPair(sockets)) {
            std::abort();
        }
        helper = new PlaybinChannel(sockets[1]);
        application = new PlaybinChannel(sockets[0]);
        const auto layout = *PictureRingLayout::of(16, 16, ringSlots);
        writer = PictureRingWriter::create(layout);
        reader = PictureRingReader::map(::dup(writer->descriptor()), layout);
        if (!writer || !reader) {
            std::abort();
        }
    }
};

Boundary& boundary() {
    static auto* shared = new Boundary;
    return *shared;
}

int sealedMemory() {
    const int memory = ::memfd_create("fuzz-pictures", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    const auto bytes = PictureRingLayout::of(16, 16, ringSlots)->totalBytes();
    if (memory < 0 || ::ftruncate(memory, static_cast<off_t>(bytes)) != 0 ||
        ::fcntl(memory, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL) != 0) {
        std::abort();
    }
    return memory;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    Boundary& shared = boundary();
    const std::uint8_t choice = data[0];
    const int memory = (choice & 1) != 0 ? sealedMemory() : -1;
    if (!shared.helper->sendPacket(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), memory)) {
        std::abort();
    }
    if (memory >= 0) {
        ::close(memory);
    }

    PlaybinChannel::Received received;
    if (shared.application->receive(received) != PlaybinChannel::Outcome::Message) {
        return 0;
    }
    PlaybinReports::Expectations expected;
    expected.loadGeneration = 2;
    expected.newestGeneration = 2 + (choice >> 1 & 3);
    expected.newestSeekId = (choice & 8) != 0 ? 3 : 0;
    expected.ring = (choice & 16) != 0 ? 1 : 0;
    expected.ringSlots = expected.ring != 0 ? ringSlots : 0;
    std::string problem;
    const auto report = PlaybinReports::read(received.message, received.descriptor >= 0, expected, problem);
    if (!report) {
        if (problem.empty()) {
            std::abort();
        }
        if (received.descriptor >= 0) {
            ::close(received.descriptor);
        }
        return 0;
    }
    if (const auto* ring = std::get_if<PlaybinReports::Ring>(&*report)) {
        if (const auto mapped = PictureRingReader::map(received.descriptor, ring->layout)) {
            mapped->frame(0);
        }
    } else if (const auto* frame = std::get_if<PlaybinReports::Frame>(&*report)) {
        if (expected.ring == 0 || !shared.reader->frame(frame->slot)) {
            std::abort();
        }
    } else if (received.descriptor >= 0) {
        std::abort();
    }
    return 0;
}
