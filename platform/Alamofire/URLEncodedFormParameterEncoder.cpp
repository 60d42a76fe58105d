#include "platform/Alamofire/URLEncodedFormParameterEncoder.h"

namespace {

bool isLeftAsIs(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '?' || c == '/';
}

} // namespace

const URLEncodedFormParameterEncoder& URLEncodedFormParameterEncoder::defaultEncoder() {
    static const URLEncodedFormParameterEncoder encoder;
    return encoder;
}

std::string URLEncodedFormParameterEncoder::escape(std::string_view text) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(text.size() * 3);
    for (const char raw : text) {
        const auto c = static_cast<unsigned char>(raw);
        if (isLeftAsIs(c)) {
            escaped += static_cast<char>(c);
        } else {
            escaped += '%';
            escaped += hex[c >> 4];
            escaped += hex[c & 0x0F];
        }
    }
    return escaped;
}

std::string URLEncodedFormParameterEncoder::encode(const Parameters& parameters) {
    std::string encoded;
    for (const auto& [key, value] : parameters) {
        if (!encoded.empty()) {
            encoded += '&';
        }
        encoded += escape(key);
        encoded += '=';
        encoded += escape(value);
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
