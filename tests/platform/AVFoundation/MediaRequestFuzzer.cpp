// Media addresses and header fields come from the service: whatever they hold, the check
// answers, and what it lets through is a network address without spaces or line breaks.
#include "platform/AVFoundation/Media/MediaRequest.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto split = text.find('\n');
    const std::string url = text.substr(0, split);
    if (!mediaURLRefusal(url, MediaURLScope::Network)) {
        std::string scheme = url.substr(0, url.find("://"));
        for (char& c : scheme) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        const bool network = scheme == "http" || scheme == "https";
        if (!network || url.find_first_of(" \r\n\t") != std::string::npos) {
            std::abort();
        }
    }
    const std::string rest = split == std::string::npos ? std::string() : text.substr(split + 1);
    const auto colon = rest.find(':');
    const MediaRequest request = makeMediaRequest(
        url, 0, {{rest.substr(0, colon), colon == std::string::npos ? "" : rest.substr(colon + 1)}});
    for (const auto& [name, value] : request.headerFields) {
        if (name.empty() || value.find_first_of("\r\n") != std::string::npos) {
            std::abort();
        }
    }
    return 0;
}
