#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>

// The messages between the application and a second-engine helper. The application sends
// commands ("command": load, pause, rate, volume, seek); the helper sends events
// ("event": ready, state, seekEnd, ring, frame, alive), which the application reads as
// untrusted input (PlaybinReports.h). Stopping is closing the connection.
namespace PlaybinMessages {

// What a load carries besides the request: the play state the engine had when it began.
struct Load {
    std::uint64_t generation = 0;
    MediaRequest request;
    bool paused = true;
    double rate = 1;
    double volume = 1;
    bool muted = false;
};

nlohmann::json loadCommand(const Load& load);
// Why `load` cannot go to a helper (text that is not UTF-8, more than a packet holds);
// nothing when it can.
std::optional<std::string> loadRefusal(const Load& load);
std::optional<Load> readLoad(const nlohmann::json& message);

// The helper's report of its state; a long error description is cut short.
nlohmann::json stateEvent(std::uint64_t generation, const MediaEngineState& state);

// Reads a number of a command, or `fallback` when it is missing or of another type.
double number(const nlohmann::json& message, const char* key, double fallback = 0);
std::uint64_t count(const nlohmann::json& message, const char* key);
bool flag(const nlohmann::json& message, const char* key);

} // namespace PlaybinMessages
