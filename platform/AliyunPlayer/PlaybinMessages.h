#pragma once

#include "platform/AVFoundation/Media/MediaEngine.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>

// The messages between the application and a second-engine helper. The application sends
// commands ("command": load, pause, rate, volume, seek); the helper sends events
// ("event": state, seekEnd, ring, frame, alive). Stopping is closing the connection.
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
std::optional<Load> readLoad(const nlohmann::json& message);

nlohmann::json stateEvent(std::uint64_t generation, const MediaEngineState& state);
// The state of a "state" event; nothing when the message is not a well-formed one.
std::optional<std::pair<std::uint64_t, MediaEngineState>> readState(const nlohmann::json& message);

// Reads a number of `message`, or `fallback` when it is missing or of another type.
double number(const nlohmann::json& message, const char* key, double fallback = 0);
std::uint64_t count(const nlohmann::json& message, const char* key);
bool flag(const nlohmann::json& message, const char* key);

} // namespace PlaybinMessages
