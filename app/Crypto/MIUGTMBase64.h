#pragma once

#include "app/Crypto/Bytes.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Base64 codec over a chosen 64-character alphabet: the standard one (always padded
// with "=" when encoding, padding required when decoding) and the URL-safe one
// (padding chosen by the caller, optional when decoding).
//
// Decoding skips white space (tab, line feed, vertical tab, form feed, carriage
// return, space and the bytes 0xA0 and 0xFF), stops at a zero byte, and fails on any
// other character outside the alphabet, on misplaced padding and on non-zero bits left
// over in the last, partial byte. Encoders give nothing for empty input; decoders
// give nothing for invalid or empty input.
class MIUGTMBase64 {
  public:
    static constexpr std::string_view standardCharset =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    static constexpr std::string_view webSafeCharset =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

    // Standard alphabet.
    static std::optional<Bytes> encodeData(const Bytes& data);
    static std::optional<Bytes> decodeData(const Bytes& data);
    static std::optional<Bytes> encodeBytes(const void* bytes, std::size_t length);
    static std::optional<Bytes> decodeBytes(const void* bytes, std::size_t length);
    static std::optional<std::string> stringByEncodingData(const Bytes& data);
    static std::optional<std::string> stringByEncodingBytes(const void* bytes, std::size_t length);
    // A text that is not pure ASCII gives nothing.
    static std::optional<Bytes> decodeString(const std::string& string);

    // URL-safe alphabet.
    static std::optional<Bytes> webSafeEncodeData(const Bytes& data, bool padded);
    static std::optional<Bytes> webSafeDecodeData(const Bytes& data);
    static std::optional<Bytes> webSafeEncodeBytes(const void* bytes, std::size_t length, bool padded);
    static std::optional<Bytes> webSafeDecodeBytes(const void* bytes, std::size_t length);
    static std::optional<std::string> stringByWebSafeEncodingData(const Bytes& data, bool padded);
    static std::optional<std::string> stringByWebSafeEncodingBytes(const void* bytes, std::size_t length,
                                                                   bool padded);
    static std::optional<Bytes> webSafeDecodeString(const std::string& string);

    // Conveniences on the standard alphabet; texts are UTF-8 (a decoded text that is
    // not valid UTF-8 gives nothing).
    static std::optional<std::string> encodeBase64String(const std::string& text);
    static std::optional<std::string> decodeBase64String(const std::string& base64);
    static std::optional<std::string> encodeBase64Data(const Bytes& data);
    static std::optional<std::string> decodeBase64Data(const Bytes& base64);
    // The Base64 text of the MD5 digest of the text's UTF-8 bytes.
    static std::string md5_base64(const std::string& text);

    // Cores over any 64-character alphabet.
    static std::optional<Bytes> baseEncode(const void* bytes, std::size_t length, std::string_view charset,
                                           bool padded);
    static std::optional<Bytes> baseDecode(const void* bytes, std::size_t length, std::string_view charset,
                                           bool requirePadding);
    // These answer the number of bytes written, 0 on failure (also when destLen is short).
    static std::size_t baseEncode(const void* srcBytes, std::size_t srcLen, char* destBytes,
                                  std::size_t destLen, std::string_view charset, bool padded);
    static std::size_t baseDecode(const void* srcBytes, std::size_t srcLen, std::uint8_t* destBytes,
                                  std::size_t destLen, std::string_view charset, bool requirePadding);
};
