#include "MainController/Video/Model/EpisodeStartRules.h"

#include "app/Crypto/MIUGTMBase64.h"
#include "app/Extensions/StringExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace EpisodeStartRules {

namespace {

bool hasControlOrBlank(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7f;
    });
}

bool hasControl(const std::string& text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && byte != '\t') || byte == 0x7f;
    });
}

// RFC 9110 token characters.
bool isToken(const std::string& name) {
    static const std::string punctuation = "!#$%&'*+-.^_`|~";
    return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || punctuation.find(c) != std::string::npos;
    });
}

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The part of an address after its scheme's "://" and up to its path, query or fragment.
std::string authorityOf(const std::string& address, std::size_t schemeEnd) {
    const std::size_t start = schemeEnd + 3;
    const std::size_t end = address.find_first_of("/?#", start);
    return address.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

} // namespace

std::int64_t mediaIdentifier(const std::string& vodId, long position) {
    std::string digits;
    for (char c : md5String(vodId)) {
        if (c >= '0' && c <= '9' && digits.size() < 6) {
            digits.push_back(c);
        }
    }
    std::int64_t number = 0;
    if (!digits.empty()) {
        std::from_chars(digits.data(), digits.data() + digits.size(), number);
    }
    return number + position;
}

bool isPlayableAddress(const std::string& address) {
    if (address.empty() || hasControlOrBlank(address)) {
        return false;
    }
    const std::size_t schemeEnd = address.find("://");
    if (schemeEnd == std::string::npos) {
        return false;
    }
    const std::string scheme = lowercase(address.substr(0, schemeEnd));
    if (scheme != "http" && scheme != "https") {
        return false;
    }
    std::string authority = authorityOf(address, schemeEnd);
    if (const auto at = authority.rfind('@'); at != std::string::npos) {
        authority.erase(0, at + 1);
    }
    if (authority.empty()) {
        return false;
    }
    const std::size_t colon = authority.rfind(':');
    const bool hasPort = colon != std::string::npos && authority.back() != ']';
    const std::string host = hasPort ? authority.substr(0, colon) : authority;
    return !host.empty();
}

bool isProxyAddress(const std::string& address, const std::string& prefix) {
    return !prefix.empty() && address.starts_with(prefix);
}

AVURLAssetOptions mediaRequestOptions(const JSON& parseAnswer) {
    AVHTTPHeaderFields headers;
    bool hasOption = false;
    const std::string userAgent = parseAnswer["user_agent"].stringValue();
    if (!userAgent.empty()) {
        if (!hasControl(userAgent)) {
            headers["User-Agent"] = userAgent;
        }
        hasOption = true;
    }
    const auto list = parseAnswer["headers"].array();
    if (list && !list->empty()) {
        for (const JSON& element : *list) {
            if (!element["key"].exists() || !element["val"].exists()) {
                continue;
            }
            const std::string name = element["key"].stringValue();
            const std::string value = element["val"].stringValue();
            if (isToken(name) && !hasControl(value)) {
                headers[name] = value;
            }
        }
        hasOption = true;
    }
    if (!hasOption) {
        return {};
    }
    return {{AVURLAssetHTTPHeaderFieldsKey, headers}};
}

bool pathExtensionIsM3u8(const std::string& address) {
    std::string path = address.substr(0, address.find_first_of("?#"));
    if (const std::size_t schemeEnd = path.find("://"); schemeEnd != std::string::npos) {
        const std::size_t pathStart = path.find('/', schemeEnd + 3);
        path = pathStart == std::string::npos ? std::string() : path.substr(pathStart);
    }
    const std::size_t slash = path.rfind('/');
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = last.rfind('.');
    return dot != std::string::npos && last.substr(dot + 1).find("m3u8") != std::string::npos;
}

std::optional<long> recordedPosition(const SJPlaybackRecord& record, const std::string& vodId) {
    if (!record.vodId || *record.vodId != vodId || !record.index || record.index->empty()) {
        return std::nullopt;
    }
    const std::string& text = *record.index;
    long position = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), position);
    if (error != std::errc() || end != text.data() + text.size() || position < 0) {
        return std::nullopt;
    }
    return position;
}

ResumePoint resumePoint(const SJPlaybackRecord& record) {
    ResumePoint point{record.position, false};
    if (!record.duration) {
        return point;
    }
    char* end = nullptr;
    const double duration = std::strtod(record.duration->c_str(), &end);
    if (end == record.duration->c_str() || !std::isfinite(duration) || duration <= 0.0) {
        return point;
    }
    if (duration - record.position <= 30.0) {
        point.position = std::max(0.0, duration - 60.0);
        point.nearEnd = true;
    }
    return point;
}

std::optional<std::string> durationText(double seconds) {
    if (!std::isfinite(seconds)) {
        return std::nullopt;
    }
    // The shortest digits that read back as the same number, never with an exponent:
    // 3600 is "3600", not "3.6e+03".
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed);
    return std::string(buffer, written.ptr);
}

std::string resumePromptText(double position) {
    const auto seconds = static_cast<std::int64_t>(std::max(0.0, std::trunc(position)));
    return decodedText("5LuO5LiK5qyh55qE5L2N572u") + " " + KKpresentationdisease::formatDuration(seconds) +
           " " + decodedText("5aSE5byA5aeL5pKt5pS+");
}

std::string decodedText(const std::string& base64) {
    return MIUGTMBase64::decodeBase64String(base64).value_or("");
}

} // namespace EpisodeStartRules
