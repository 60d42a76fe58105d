#include "app/Crypto/MIUGTMBase64.h"

#include "app/Crypto/UTF8.h"
#include "platform/CommonCrypto/CommonDigest.h"

#include <array>

namespace {

// What each byte means to the decoder: a digit value 0 to 63, or one of these.
constexpr std::uint8_t kInvalid = 0xFF;
constexpr std::uint8_t kWhiteSpace = 0xFE;
constexpr std::uint8_t kPadding = 0xFD;
constexpr std::uint8_t kEnd = 0xFC; // a zero byte ends the input

using DecodeTable = std::array<std::uint8_t, 256>;

constexpr DecodeTable makeDecodeTable(std::string_view charset) {
    DecodeTable table{};
    for (std::uint8_t& entry : table) {
        entry = kInvalid;
    }
    for (const unsigned char space : {'\t', '\n', '\v', '\f', '\r', ' '}) {
        table[space] = kWhiteSpace;
    }
    table[0xA0] = kWhiteSpace;
    table[0xFF] = kWhiteSpace;
    table['='] = kPadding;
    table[0] = kEnd;
    for (std::size_t value = 0; value < charset.size(); ++value) {
        table[static_cast<unsigned char>(charset[value])] = static_cast<std::uint8_t>(value);
    }
    return table;
}

constexpr DecodeTable kStandardTable = makeDecodeTable(MIUGTMBase64::standardCharset);
constexpr DecodeTable kWebSafeTable = makeDecodeTable(MIUGTMBase64::webSafeCharset);

std::size_t encodedLength(std::size_t n, bool padded) {
    return padded ? (n + 2) / 3 * 4 : (8 * n + 4) / 6;
}

std::size_t decodedLength(std::size_t n) {
    return (n + 3) / 4 * 3;
}

bool isASCII(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> utf8Text(const std::optional<Bytes>& bytes) {
    if (!bytes || !isValidUTF8(bytes->data(), bytes->size())) {
        return std::nullopt;
    }
    return std::string(bytes->begin(), bytes->end());
}

std::optional<std::string> encodedText(const void* bytes, std::size_t length, std::string_view charset,
                                       bool padded) {
    std::string text(encodedLength(length, padded), '\0');
    if (MIUGTMBase64::baseEncode(bytes, length, text.data(), text.size(), charset, padded) == 0) {
        return std::nullopt;
    }
    return text;
}

} // namespace

std::size_t MIUGTMBase64::baseEncode(const void* srcBytes, std::size_t srcLen, char* destBytes,
                                     std::size_t destLen, std::string_view charset, bool padded) {
    const std::size_t needed = encodedLength(srcLen, padded);
    if (srcBytes == nullptr || srcLen == 0 || destBytes == nullptr || destLen < needed ||
        charset.size() != 64) {
        return 0;
    }
    const auto* in = static_cast<const std::uint8_t*>(srcBytes);
    char* out = destBytes;
    std::size_t i = 0;
    for (; i + 3 <= srcLen; i += 3) {
        const std::uint32_t group = std::uint32_t{in[i]} << 16 | std::uint32_t{in[i + 1]} << 8 | in[i + 2];
        *out++ = charset[group >> 18];
        *out++ = charset[(group >> 12) & 63];
        *out++ = charset[(group >> 6) & 63];
        *out++ = charset[group & 63];
    }
    const std::size_t rest = srcLen - i;
    if (rest > 0) {
        const std::uint32_t group =
            std::uint32_t{in[i]} << 16 | (rest == 2 ? std::uint32_t{in[i + 1]} << 8 : 0);
        *out++ = charset[group >> 18];
        *out++ = charset[(group >> 12) & 63];
        if (rest == 2) {
            *out++ = charset[(group >> 6) & 63];
        } else if (padded) {
            *out++ = '=';
        }
        if (padded) {
            *out++ = '=';
        }
    }
    return static_cast<std::size_t>(out - destBytes);
}

std::size_t MIUGTMBase64::baseDecode(const void* srcBytes, std::size_t srcLen, std::uint8_t* destBytes,
                                     std::size_t destLen, std::string_view charset, bool requirePadding) {
    if (srcBytes == nullptr || srcLen == 0 || destBytes == nullptr || destLen == 0 || charset.size() != 64) {
        return 0;
    }
    DecodeTable custom{};
    const DecodeTable* table = &custom;
    if (charset == standardCharset) {
        table = &kStandardTable;
    } else if (charset == webSafeCharset) {
        table = &kWebSafeTable;
    } else {
        custom = makeDecodeTable(charset);
    }
    const auto* in = static_cast<const std::uint8_t*>(srcBytes);
    std::size_t written = 0;
    std::uint32_t accumulator = 0;
    unsigned digits = 0; // in the current group of four
    std::size_t i = 0;
    bool sawPadding = false;
    for (; i < srcLen; ++i) {
        const std::uint8_t kind = (*table)[in[i]];
        if (kind < 64) {
            accumulator = accumulator << 6 | kind;
            if (++digits == 4) {
                if (destLen - written < 3) {
                    return 0;
                }
                destBytes[written++] = static_cast<std::uint8_t>(accumulator >> 16);
                destBytes[written++] = static_cast<std::uint8_t>(accumulator >> 8);
                destBytes[written++] = static_cast<std::uint8_t>(accumulator);
                accumulator = 0;
                digits = 0;
            }
        } else if (kind == kWhiteSpace) {
            continue;
        } else if (kind == kPadding) {
            sawPadding = true;
            break;
        } else if (kind == kEnd) {
            break;
        } else {
            return 0;
        }
    }
    if (sawPadding) {
        // Two digits take "==", three take "="; then only white space may follow.
        if (digits < 2) {
            return 0;
        }
        const unsigned paddingNeeded = digits == 2 ? 2 : 1;
        unsigned paddingSeen = 1;
        for (++i; i < srcLen; ++i) {
            const std::uint8_t kind = (*table)[in[i]];
            if (kind == kEnd) {
                break;
            }
            if (kind == kWhiteSpace) {
                continue;
            }
            if (kind != kPadding || paddingSeen == paddingNeeded) {
                return 0;
            }
            ++paddingSeen;
        }
        if (paddingSeen != paddingNeeded) {
            return 0;
        }
    } else if (digits == 1 || (digits != 0 && requirePadding)) {
        return 0;
    }
    // The bits of the partial last byte that the digits do not fill must be zero.
    if (digits == 2) {
        if ((accumulator & 0xF) != 0 || destLen - written < 1) {
            return 0;
        }
        destBytes[written++] = static_cast<std::uint8_t>(accumulator >> 4);
    } else if (digits == 3) {
        if ((accumulator & 0x3) != 0 || destLen - written < 2) {
            return 0;
        }
        destBytes[written++] = static_cast<std::uint8_t>(accumulator >> 10);
        destBytes[written++] = static_cast<std::uint8_t>(accumulator >> 2);
    }
    return written;
}

std::optional<Bytes> MIUGTMBase64::baseEncode(const void* bytes, std::size_t length, std::string_view charset,
                                              bool padded) {
    Bytes encoded(encodedLength(length, padded));
    if (baseEncode(bytes, length, reinterpret_cast<char*>(encoded.data()), encoded.size(), charset, padded) ==
        0) {
        return std::nullopt;
    }
    return encoded;
}

std::optional<Bytes> MIUGTMBase64::baseDecode(const void* bytes, std::size_t length, std::string_view charset,
                                              bool requirePadding) {
    Bytes decoded(decodedLength(length));
    const std::size_t written =
        baseDecode(bytes, length, decoded.data(), decoded.size(), charset, requirePadding);
    if (written == 0) {
        return std::nullopt;
    }
    decoded.resize(written);
    return decoded;
}

std::optional<Bytes> MIUGTMBase64::encodeData(const Bytes& data) {
    return encodeBytes(data.data(), data.size());
}

std::optional<Bytes> MIUGTMBase64::decodeData(const Bytes& data) {
    return decodeBytes(data.data(), data.size());
}

std::optional<Bytes> MIUGTMBase64::encodeBytes(const void* bytes, std::size_t length) {
    return baseEncode(bytes, length, standardCharset, true);
}

std::optional<Bytes> MIUGTMBase64::decodeBytes(const void* bytes, std::size_t length) {
    return baseDecode(bytes, length, standardCharset, true);
}

std::optional<std::string> MIUGTMBase64::stringByEncodingData(const Bytes& data) {
    return stringByEncodingBytes(data.data(), data.size());
}

std::optional<std::string> MIUGTMBase64::stringByEncodingBytes(const void* bytes, std::size_t length) {
    return encodedText(bytes, length, standardCharset, true);
}

std::optional<Bytes> MIUGTMBase64::decodeString(const std::string& string) {
    if (!isASCII(string)) {
        return std::nullopt;
    }
    return decodeBytes(string.data(), string.size());
}

std::optional<Bytes> MIUGTMBase64::webSafeEncodeData(const Bytes& data, bool padded) {
    return webSafeEncodeBytes(data.data(), data.size(), padded);
}

std::optional<Bytes> MIUGTMBase64::webSafeDecodeData(const Bytes& data) {
    return webSafeDecodeBytes(data.data(), data.size());
}

std::optional<Bytes> MIUGTMBase64::webSafeEncodeBytes(const void* bytes, std::size_t length, bool padded) {
    return baseEncode(bytes, length, webSafeCharset, padded);
}

std::optional<Bytes> MIUGTMBase64::webSafeDecodeBytes(const void* bytes, std::size_t length) {
    return baseDecode(bytes, length, webSafeCharset, false);
}

std::optional<std::string> MIUGTMBase64::stringByWebSafeEncodingData(const Bytes& data, bool padded) {
    return stringByWebSafeEncodingBytes(data.data(), data.size(), padded);
}

std::optional<std::string> MIUGTMBase64::stringByWebSafeEncodingBytes(const void* bytes, std::size_t length,
                                                                      bool padded) {
    return encodedText(bytes, length, webSafeCharset, padded);
}

std::optional<Bytes> MIUGTMBase64::webSafeDecodeString(const std::string& string) {
    if (!isASCII(string)) {
        return std::nullopt;
    }
    return webSafeDecodeBytes(string.data(), string.size());
}

std::optional<std::string> MIUGTMBase64::encodeBase64String(const std::string& text) {
    return stringByEncodingBytes(text.data(), text.size());
}

std::optional<std::string> MIUGTMBase64::decodeBase64String(const std::string& base64) {
    return utf8Text(decodeBytes(base64.data(), base64.size()));
}

std::optional<std::string> MIUGTMBase64::encodeBase64Data(const Bytes& data) {
    return stringByEncodingData(data);
}

std::optional<std::string> MIUGTMBase64::decodeBase64Data(const Bytes& base64) {
    return utf8Text(decodeData(base64));
}

std::string MIUGTMBase64::md5_base64(const std::string& text) {
    std::array<unsigned char, CC_MD5_DIGEST_LENGTH> digest{};
    CC_MD5(text.data(), static_cast<CC_LONG>(text.size()), digest.data());
    return *stringByEncodingBytes(digest.data(), digest.size());
}
