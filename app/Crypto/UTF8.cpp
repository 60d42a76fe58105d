#include "app/Crypto/UTF8.h"

#include <cstring>

bool isValidUTF8(const std::uint8_t* bytes, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        // Payloads are mostly ASCII: step over it eight bytes at a time.
        if (i + 8 <= length) {
            std::uint64_t word = 0;
            std::memcpy(&word, bytes + i, sizeof word);
            if ((word & 0x8080808080808080u) == 0) {
                i += 8;
                continue;
            }
        }
        const std::uint8_t lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t trailing = 0;
        std::uint8_t lowest = 0x80; // the allowed range of the first continuation byte
        std::uint8_t highest = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            trailing = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            trailing = 2;
            if (lead == 0xE0) {
                lowest = 0xA0; // over-long
            } else if (lead == 0xED) {
                highest = 0x9F; // surrogates
            }
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            trailing = 3;
            if (lead == 0xF0) {
                lowest = 0x90; // over-long
            } else if (lead == 0xF4) {
                highest = 0x8F; // above U+10FFFF
            }
        } else {
            return false;
        }
        if (length - i <= trailing || bytes[i + 1] < lowest || bytes[i + 1] > highest) {
            return false;
        }
        for (std::size_t k = 2; k <= trailing; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) {
                return false;
            }
        }
        i += trailing + 1;
    }
    return true;
}
