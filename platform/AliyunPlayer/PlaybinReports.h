#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"
#include "platform/AliyunPlayer/PictureRing.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

// What a second-engine helper reports, as the application reads it. A helper runs a media
// library on network input and is not trusted: each event is checked whole (its name,
// every field's type and range, whether it may carry a descriptor) against what the
// application asked of that helper, and one that is not a well-formed report is named, so
// that its load fails with the reason and nothing of it goes further.
namespace PlaybinReports {

// GStreamer has started in the helper.
struct Ready {};
// The helper is playing and answering.
struct Alive {};
struct State {
    std::uint64_t generation = 0;
    MediaEngineState state;
};
struct SeekEnd {
    std::uint64_t seekId = 0;
    bool finished = false;
};
// New picture memory, sent with the packet's descriptor; it replaces the ring before.
struct Ring {
    std::uint64_t ring = 0;
    PictureRingLayout layout;
};
// A picture in `slot` of the current ring.
struct Frame {
    std::uint64_t generation = 0;
    int slot = 0;
};
using Report = std::variant<Ready, Alive, State, SeekEnd, Ring, Frame>;

// What the application gave the helper and was told by it, which reports must agree with.
struct Expectations {
    // The load's generation and the newest one given since (by seeks).
    std::uint64_t loadGeneration = 0;
    std::uint64_t newestGeneration = 0;
    // The newest seek asked for; 0 when none was.
    std::uint64_t newestSeekId = 0;
    // The current ring's number and slots; 0 before the first ring.
    std::uint64_t ring = 0;
    int ringSlots = 0;
};

// The report `message` makes (it came with a descriptor when `hasDescriptor`); nothing
// when it is none, with what is wrong with it in `problem` ("sent <problem>").
std::optional<Report> read(const nlohmann::json& message, bool hasDescriptor, const Expectations& expected,
                           std::string& problem);

} // namespace PlaybinReports
