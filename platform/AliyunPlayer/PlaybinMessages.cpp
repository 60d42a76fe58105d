#include "platform/AliyunPlayer/PlaybinMessages.h"

#include "platform/AliyunPlayer/PlaybinChannel.h"

#include <algorithm>
#include <cmath>

namespace PlaybinMessages {

namespace {

// Longer error descriptions say nothing more to the user, and must leave the state event
// well within a packet.
constexpr std::size_t maximumErrorDescription = 2048;

std::string text(const nlohmann::json& message, const char* key) {
    const auto found = message.find(key);
    return found != message.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// `text` cut to at most `limit` bytes, never inside a character.
std::string shortened(const std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}

} // namespace

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

std::optional<std::string> loadRefusal(const Load& load) {
    std::string text;
    switch (PlaybinChannel::encode(loadCommand(load), text)) {
    case PlaybinChannel::Encoding::Fits:
        return std::nullopt;
    case PlaybinChannel::Encoding::NotUTF8:
        return "the media address or a header field is not valid UTF-8, which the second playback engine "
               "cannot take";
    case PlaybinChannel::Encoding::TooLarge:
        break;
    }
    return "the media address and header fields take " + std::to_string(text.size()) +
           " bytes, more than the second playback engine takes (" +
           std::to_string(PlaybinChannel::maximumPacket) + ")";
}

std::optional<Load> readLoad(const nlohmann::json& message) {
    Load load;
    load.generation = count(message, "generation");
    load.request.url = text(message, "url");
    if (load.generation == 0 || load.request.url.empty()) {
        return std::nullopt;
    }
    load.request.startPosition = std::max(0.0, number(message, "startPosition"));
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
            {"errorDescription", shortened(state.errorDescription, maximumErrorDescription)}};
}

} // namespace PlaybinMessages
