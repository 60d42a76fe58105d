#include "app/Extensions/URLExtensions.h"

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::string> percentDecoded(std::string_view text) {
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
        const int high = hexDigit(text[at + 1]);
        const int low = hexDigit(text[at + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        decoded += char(high * 16 + low);
        at += 2;
    }
    return decoded;
}

bool isURLText(std::string_view text) {
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

} // namespace

std::optional<std::map<std::string, std::string>> queryParameters(std::string_view url) {
    if (!isURLText(url)) {
        return std::nullopt;
    }
    const std::string_view beforeFragment = url.substr(0, url.find('#'));
    const std::size_t questionMark = beforeFragment.find('?');
    if (questionMark == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view query = beforeFragment.substr(questionMark + 1);
    std::map<std::string, std::string> parameters;
    if (query.empty()) {
        return parameters;
    }
    for (;;) {
        const std::size_t ampersand = query.find('&');
        const std::string_view item = query.substr(0, ampersand);
        const std::size_t equals = item.find('=');
        const auto name = percentDecoded(item.substr(0, equals));
        if (!name) {
            return std::nullopt;
        }
        if (equals == std::string_view::npos) {
            parameters.erase(*name);
        } else {
            const auto value = percentDecoded(item.substr(equals + 1));
            if (!value) {
                return std::nullopt;
            }
            parameters[*name] = *value;
        }
        if (ampersand == std::string_view::npos) {
            break;
        }
        query.remove_prefix(ampersand + 1);
    }
    return parameters;
}
