#include "platform/Alamofire/URLEncodedFormParameterEncoder.h"

#include <array>

namespace {

// The bytes written as they are; every other byte is escaped.
constexpr std::array<bool, 256> kLeftAsIs = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[c] = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                   c == '.' || c == '_' || c == '~' || c == '?' || c == '/';
    }
    return table;
}();

// Appends the escaped text in place: `out` grows once, by at most three bytes a byte.
void appendEscaped(std::string& out, std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::size_t at = out.size();
    out.resize(at + text.size() * 3);
    char* bytes = out.data();
    for (const char raw : text) {
        const auto c = static_cast<unsigned char>(raw);
        if (kLeftAsIs[c]) {
            bytes[at++] = raw;
        } else {
            bytes[at] = '%';
            bytes[at + 1] = hex[c >> 4];
            bytes[at + 2] = hex[c & 0x0F];
            at += 3;
        }
    }
    out.resize(at);
}

} // namespace

const URLEncodedFormParameterEncoder& URLEncodedFormParameterEncoder::defaultEncoder() {
    static const URLEncodedFormParameterEncoder encoder;
    return encoder;
}

std::string URLEncodedFormParameterEncoder::escape(std::string_view text) {
    std::string escaped;
    appendEscaped(escaped, text);
    return escaped;
}

std::string URLEncodedFormParameterEncoder::encode(const Parameters& parameters) {
    std::size_t longest = 0;
    for (const auto& [key, value] : parameters) {
        longest += (key.size() + value.size()) * 3 + 2;
    }
    std::string encoded;
    encoded.reserve(longest);
    for (const auto& [key, value] : parameters) {
        if (!encoded.empty()) {
            encoded += '&';
        }
        appendEscaped(encoded, key);
        encoded += '=';
        appendEscaped(encoded, value);
    }
    return encoded;
}

bool URLEncodedFormParameterEncoder::encodesIntoQuery(HTTPMethod method) const {
    switch (destination_) {
    case Destination::queryString:
        return true;
    case Destination::httpBody:
        return false;
    case Destination::methodDependent:
        break;
    }
    return method == HTTPMethod::get;
}
