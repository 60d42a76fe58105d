#pragma once

#include "platform/Foundation/HexDigit.h"

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
