#include "platform/AliyunPlayer/PlaybinMessages.h"

#include <algorithm>
#include <cmath>

namespace PlaybinMessages {

double number(const nlohmann::json& message, const char* key, double fallback) {
    const auto found = message.find(key);
    if (found == message.end() || !found->is_number()) {
        return fallback;
    }
    const double value = found->get<double>();
    return std::isfinite(value) ? value : fallback;
}

std::uint64_t count(const nlohmann::json& message, const char* key) {
    const auto found = message.find(key);
    return found != message.end() && found->is_number_unsigned() ? found->get<std::uint64_t>() : 0;
}

bool flag(const nlohmann::json& message, const char* key) {
    const auto found = message.find(key);
    return found != message.end() && found->is_boolean() && found->get<bool>();
}

namespace {

std::string text(const nlohmann::json& message, const char* key) {
    const auto found = message.find(key);
    return found != message.end() && found->is_string() ? found->get<std::string>() : std::string();
}

} // namespace

nlohmann::json loadCommand(const Load& load) {
    nlohmann::json headers = nlohmann::json::array();
    for (const auto& [name, value] : load.request.headerFields) {
        headers.push_back({name, value});
    }
    return {{"command", "load"},
            {"generation", load.generation},
            {"url", load.request.url},
            {"startPosition", load.request.startPosition},
            {"headerFields", std::move(headers)},
            {"userAgent", load.request.userAgent},
            {"paused", load.paused},
            {"rate", load.rate},
            {"volume", load.volume},
            {"muted", load.muted}};
}

std::optional<Load> readLoad(const nlohmann::json& message) {
    Load load;
    load.generation = count(message, "generation");
    load.request.url = text(message, "url");
    if (load.generation == 0 || load.request.url.empty()) {
        return std::nullopt;
    }
    load.request.startPosition = number(message, "startPosition");
    load.request.userAgent = text(message, "userAgent");
    if (const auto headers = message.find("headerFields"); headers != message.end() && headers->is_array()) {
        for (const auto& field : *headers) {
            if (field.is_array() && field.size() == 2 && field[0].is_string() && field[1].is_string()) {
                load.request.headerFields.emplace_back(field[0].get<std::string>(),
                                                       field[1].get<std::string>());
            }
        }
    }
    load.paused = flag(message, "paused");
    load.rate = number(message, "rate", 1);
    load.volume = number(message, "volume", 1);
    load.muted = flag(message, "muted");
    return load;
}

nlohmann::json stateEvent(std::uint64_t generation, const MediaEngineState& state) {
    return {{"event", "state"},
            {"generation", generation},
            {"phase", static_cast<int>(state.phase)},
            {"buffering", state.buffering},
            {"ended", state.ended},
            {"duration", state.duration},
            {"position", state.position},
            {"bufferedPosition", state.bufferedPosition},
            {"presentationWidth", state.presentationWidth},
            {"presentationHeight", state.presentationHeight},
            {"errorDescription", state.errorDescription}};
}

std::optional<std::pair<std::uint64_t, MediaEngineState>> readState(const nlohmann::json& message) {
    const std::uint64_t generation = count(message, "generation");
    const double phase = number(message, "phase", -1);
    if (generation == 0 || phase < static_cast<int>(MediaEnginePhase::Idle) ||
        phase > static_cast<int>(MediaEnginePhase::Failed)) {
        return std::nullopt;
    }
    MediaEngineState state;
    state.phase = static_cast<MediaEnginePhase>(static_cast<int>(phase));
    state.buffering = flag(message, "buffering");
    state.ended = flag(message, "ended");
    state.duration = number(message, "duration");
    state.position = number(message, "position");
    state.bufferedPosition = number(message, "bufferedPosition");
    state.presentationWidth =
        static_cast<int>(std::clamp(number(message, "presentationWidth"), 0.0, 65536.0));
    state.presentationHeight =
        static_cast<int>(std::clamp(number(message, "presentationHeight"), 0.0, 65536.0));
    state.errorDescription = text(message, "errorDescription");
    return std::make_pair(generation, std::move(state));
}

} // namespace PlaybinMessages
