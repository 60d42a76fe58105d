#include "platform/SJMediaCacheServer/AssetNaming.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <curl/curl.h>
#include <memory>
#include <openssl/evp.h>

namespace mcs {

namespace {

struct UrlHandleDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlHandleDeleter>;

std::string part(CURLU* handle, CURLUPart which) {
    char* text = nullptr;
    if (curl_url_get(handle, which, &text, 0) != CURLUE_OK || text == nullptr) {
        return {};
    }
    std::string value = text;
    curl_free(text);
    return value;
}

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The last path segment of an address (without query and fragment).
std::string lastSegment(const std::string& url) {
    const auto end = url.find_first_of("?#");
    const std::string path = url.substr(0, end);
    const auto scheme = path.find("://");
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || (scheme != std::string::npos && slash < scheme + 3)) {
        return {};
    }
    return path.substr(slash + 1);
}

std::string extensionOf(const std::string& segment) {
    const auto dot = segment.rfind('.');
    return dot == std::string::npos ? std::string() : lowercase(segment.substr(dot + 1));
}

} // namespace

std::optional<UrlParts> parseHttpUrl(const std::string& url) {
    UrlHandle handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    UrlParts parts;
    parts.scheme = lowercase(part(handle.get(), CURLUPART_SCHEME));
    if (parts.scheme != "http" && parts.scheme != "https") {
        return std::nullopt;
    }
    parts.host = part(handle.get(), CURLUPART_HOST);
    if (parts.host.empty()) {
        return std::nullopt;
    }
    parts.path = part(handle.get(), CURLUPART_PATH);
    parts.query = part(handle.get(), CURLUPART_QUERY);
    return parts;
}

std::optional<std::string> resolveUrl(const std::string& base, const std::string& reference) {
    UrlHandle handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(handle.get(), CURLUPART_URL, reference.c_str(), 0) != CURLUE_OK) {
        return std::nullopt;
    }
    const auto scheme = lowercase(part(handle.get(), CURLUPART_SCHEME));
    if (scheme != "http" && scheme != "https") {
        return std::nullopt;
    }
    auto resolved = part(handle.get(), CURLUPART_URL);
    if (resolved.empty()) {
        return std::nullopt;
    }
    return resolved;
}

std::string defaultAssetIdentifier(const std::string& url) {
    const auto queryStart = url.find_first_of("?#");
    std::string path = url.substr(0, queryStart);
    std::string query;
    if (queryStart != std::string::npos && url[queryStart] == '?') {
        query = url.substr(queryStart, url.find('#', queryStart) - queryStart);
    }
    const auto segment = lastSegment(url);
    const auto dot = segment.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        path.erase(path.size() - (segment.size() - dot));
    }
    return path + query;
}

bool hasPlaylistExtension(const std::string& url) {
    const auto extension = extensionOf(lastSegment(url));
    return extension == "m3u8" || extension == "m3u";
}

std::string sha256Hex(std::string_view text) {
    std::array<unsigned char, 32> digest{};
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr);
    static constexpr char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned int i = 0; i < length; ++i) {
        out += hex[digest[i] >> 4];
        out += hex[digest[i] & 15];
    }
    return out;
}

std::string assetFolderName(const std::string& identifier, const std::string& query, bool playlist) {
    return sha256Hex(std::string(playlist ? "hls" : "file") + '\n' + identifier + '\n' + query).substr(0, 32);
}

std::string resourceId(const std::string& resolvedUrl) {
    return sha256Hex(resolvedUrl).substr(0, 24);
}

std::string displayName(const std::string& url) {
    std::string name;
    for (char c : lastSegment(url)) {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-') {
            name += c;
        }
    }
    while (!name.empty() && name.front() == '.') {
        name.erase(0, 1);
    }
    if (name.size() > 64) {
        const auto dot = name.rfind('.');
        const std::string extension =
            dot != std::string::npos && name.size() - dot <= 8 ? name.substr(dot) : "";
        name = name.substr(0, 64 - extension.size()) + extension;
    }
    return name.empty() ? "media" : name;
}

std::string storageExtension(const std::string& url) {
    static const std::array<const char*, 17> allowed = {"m3u8", "m3u",  "ts",  "m4s", "mp4",    "m4a",
                                                        "m4v",  "aac",  "mp3", "vtt", "webvtt", "key",
                                                        "mov",  "webm", "mkv", "flv", "cmfv"};
    const auto extension = extensionOf(lastSegment(url));
    for (const char* candidate : allowed) {
        if (extension == candidate) {
            return extension;
        }
    }
    return "bin";
}

} // namespace mcs
