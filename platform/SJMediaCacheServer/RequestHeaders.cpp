#include "platform/SJMediaCacheServer/RequestHeaders.h"

#include <string_view>

namespace mcs {

namespace {

bool isTokenCharacter(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

bool validName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (const unsigned char c : name) {
        if (!isTokenCharacter(c)) {
            return false;
        }
    }
    return true;
}

bool validValue(std::string_view value) {
    return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

} // namespace

bool validHeaderFields(const HeaderFields& fields) {
    for (const auto& [name, value] : fields) {
        if (!validName(name) || !validValue(value)) {
            return false;
        }
    }
    return true;
}

std::string serializeHeaderFields(const HeaderFields& fields) {
    std::string text;
    for (const auto& [name, value] : fields) {
        text += name + ":" + value + "\n";
    }
    return text;
}

std::optional<HeaderFields> parseHeaderFields(const std::string& text) {
    HeaderFields fields;
    std::size_t position = 0;
    while (position < text.size()) {
        const auto end = text.find('\n', position);
        if (end == std::string::npos) {
            return std::nullopt;
        }
        const std::string_view line(text.data() + position, end - position);
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || !validName(line.substr(0, colon)) ||
            !validValue(line.substr(colon + 1))) {
            return std::nullopt;
        }
        fields[std::string(line.substr(0, colon))] = std::string(line.substr(colon + 1));
        position = end + 1;
    }
    return fields;
}

} // namespace mcs
