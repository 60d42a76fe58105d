#pragma once

// The bulk steps of the payload decoder: long runs of plain input handled many bytes
// at a time (with AVX2 where the processor has it), leaving every unusual character
// to the caller's character-by-character rules.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace bulkdecoding {

constexpr std::uint8_t kNotADigit = 0xFF;

// The values of the hexadecimal digits (either case); kNotADigit for other bytes.
inline constexpr std::array<std::uint8_t, 256> kHexDigitValues = [] {
    std::array<std::uint8_t, 256> table{};
    for (std::uint8_t& entry : table) {
        entry = kNotADigit;
    }
    for (int digit = 0; digit < 10; ++digit) {
        table['0' + digit] = static_cast<std::uint8_t>(digit);
    }
    for (int digit = 0; digit < 6; ++digit) {
        table['a' + digit] = static_cast<std::uint8_t>(10 + digit);
        table['A' + digit] = static_cast<std::uint8_t>(10 + digit);
    }
    return table;
}();

// The values of the standard Base64 digits; kNotADigit for other bytes.
inline constexpr std::array<std::uint8_t, 256> kBase64DigitValues = [] {
    constexpr std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::array<std::uint8_t, 256> table{};
    for (std::uint8_t& entry : table) {
        entry = kNotADigit;
    }
    for (std::size_t value = 0; value < alphabet.size(); ++value) {
        table[static_cast<unsigned char>(alphabet[value])] = static_cast<std::uint8_t>(value);
    }
    return table;
}();

// Decodes pairs of hexadecimal digits from the start while both characters of a pair
// are digits and the byte is not zero; answers the number of pairs decoded (one byte
// written to `out` for each).
std::size_t decodeHexPairs(const std::uint8_t* in, std::size_t pairs, std::uint8_t* out);

// Decodes groups of four standard Base64 digits from the start until fewer than four
// remain or a group holds any other character; answers the number of characters
// decoded (a multiple of 4; three bytes written to `out` for every four). `out` may be
// `in`: no byte is written before it has been read.
std::size_t decodeBase64Groups(const std::uint8_t* in, std::size_t length, std::uint8_t* out);

// Both at once, for hexadecimal text of Base64 text: decodes blocks of 64 characters
// whose 32 bytes are all standard Base64 digits into 24 bytes each, and answers the
// number of characters decoded (a multiple of 64; 0 where the processor lacks the
// instructions, the two steps above doing the whole work then).
std::size_t decodeHexBase64Blocks(const std::uint8_t* in, std::size_t length, std::uint8_t* out);

} // namespace bulkdecoding
