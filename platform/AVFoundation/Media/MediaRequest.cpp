#include "platform/AVFoundation/Media/MediaRequest.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

std::string lowercased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool isTokenCharacter(unsigned char c) {
    static const std::string separators = "!#$%&'*+-.^_`|~";
    return std::isalnum(c) || separators.find(static_cast<char>(c)) != std::string::npos;
}

bool isToken(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return isTokenCharacter(c); });
}

bool isSafeValue(const std::string& text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
}

} // namespace

std::optional<std::string> mediaURLRefusal(const std::string& url, MediaURLScope scope) {
    for (unsigned char c : url) {
        if (c <= 0x20 || c == 0x7f) {
            return "the media address has spaces or control characters";
        }
    }
    const auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0) {
        return "the media address has no scheme";
    }
    const std::string scheme = lowercased(url.substr(0, colon));
    const bool network = scheme == "http" || scheme == "https";
    const bool file = scheme == "file" && scope == MediaURLScope::NetworkOrFile;
    if (!network && !file) {
        return "media addresses with the scheme \"" + scheme + "\" are not played";
    }
    if (url.compare(colon, 3, "://") != 0) {
        return "the media address is not absolute";
    }
    const std::size_t authorityStart = colon + 3;
    const std::size_t authorityEnd = url.find_first_of("/?#", authorityStart);
    const std::string authority = url.substr(authorityStart, authorityEnd - authorityStart);
    if (network && (authority.empty() || authority.front() == ':' || authority.front() == '@')) {
        return "the media address has no host";
    }
    if (file && (!authority.empty() && authority != "localhost")) {
        return "file addresses must name a local file";
    }
    if (file && authorityEnd == std::string::npos) {
        return "the file address has no path";
    }
    return std::nullopt;
}

MediaRequest makeMediaRequest(std::string url, double startPosition,
                              const std::vector<std::pair<std::string, std::string>>& headerFields) {
    MediaRequest request;
    request.url = std::move(url);
    request.startPosition = std::isfinite(startPosition) && startPosition > 0 ? startPosition : 0;
    for (const auto& [name, value] : headerFields) {
        if (!isToken(name) || !isSafeValue(value)) {
            continue;
        }
        const std::string key = lowercased(name);
        if (key == "user-agent") {
            request.userAgent = value;
            continue;
        }
        auto same = std::find_if(request.headerFields.begin(), request.headerFields.end(),
                                 [&](const auto& field) { return lowercased(field.first) == key; });
        if (same != request.headerFields.end()) {
            request.headerFields.erase(same);
        }
        request.headerFields.emplace_back(name, value);
    }
    return request;
}
