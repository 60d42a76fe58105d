#pragma once

#include "platform/Foundation/HexDigit.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Decodes "%XX" escapes; nothing when an escape is cut short or not hexadecimal. Other
// characters (including "+") are kept as they are.
inline std::optional<std::string> percentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%') {
            decoded += text[at];
            continue;
        }
        if (at + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = hexDigitValue(text[at + 1]);
        const int low = hexDigitValue(text[at + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        decoded += char(high * 16 + low);
        at += 2;
    }
    return decoded;
}

// Whether a text can be a URL at all: not empty, and without blanks or control characters.
inline bool isURLText(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

// The "file://" URL of an absolute path: every byte but unreserved characters and "/"
// is percent-encoded, so spaces, "%", "#", "?" and non-ASCII names survive as a URL.
inline std::string fileURLWithPath(const std::filesystem::path& path) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path.string()) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                                byte == '~' || byte == '/';
        if (unreserved) {
            url += c;
        } else {
            url += '%';
            url += hex[byte >> 4];
            url += hex[byte & 15];
        }
    }
    return url;
}
