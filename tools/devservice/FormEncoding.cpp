#include "tools/devservice/FormEncoding.h"

#include "platform/Foundation/HexDigit.h"

#include <cstdint>

namespace devservice {
namespace {

int base64UrlDigit(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '-') {
        return 62;
    }
    if (c == '_') {
        return 63;
    }
    return -1;
}

} // namespace

std::optional<std::string> percentDecode(std::string_view text, bool plusIsSpace) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) {
                return std::nullopt;
            }
            const int high = hexDigitValue(text[i + 1]);
            const int low = hexDigitValue(text[i + 2]);
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            decoded.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else if (c == '+' && plusIsSpace) {
            decoded.push_back(' ');
        } else {
            decoded.push_back(c);
        }
    }
    return decoded;
}

std::optional<FormParameters> parseFormText(std::string_view text) {
    FormParameters parameters;
    while (!text.empty()) {
        const std::size_t end = text.find('&');
        const std::string_view piece = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (piece.empty()) {
            continue;
        }
        const std::size_t equals = piece.find('=');
        auto key = percentDecode(piece.substr(0, equals), true);
        auto value = equals == std::string_view::npos ? std::optional<std::string>("")
                                                      : percentDecode(piece.substr(equals + 1), true);
        if (!key || !value || !parameters.emplace(std::move(*key), std::move(*value)).second) {
            return std::nullopt;
        }
    }
    return parameters;
}

std::optional<std::string> decodeBase64Url(std::string_view text) {
    while (!text.empty() && text.back() == '=') {
        text.remove_suffix(1);
    }
    if (text.size() % 4 == 1) {
        return std::nullopt;
    }
    std::string decoded;
    decoded.reserve(text.size() * 3 / 4);
    std::uint32_t bits = 0;
    int bitCount = 0;
    for (const char c : text) {
        const int digit = base64UrlDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(digit);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            decoded.push_back(static_cast<char>((bits >> bitCount) & 0xFF));
        }
    }
    return decoded;
}

} // namespace devservice
