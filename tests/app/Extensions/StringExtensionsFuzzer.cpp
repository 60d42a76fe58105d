#include "app/Extensions/StringExtensions.h"
#include "app/Helpers/KKpresentationdisease.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Arbitrary bytes (malformed UTF-8 included) must never make the text helpers read out
// of range, and the character split must be consistent: the first n characters followed
// by the rest give back the whole text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (md5String(text).size() != 32) {
        std::abort();
    }
    KKpresentationdisease::isPhoneNumber(text);
    for (std::int64_t n = 1; n <= 16; ++n) {
        const auto head = substringTo(text, n);
        const auto tail = substringFrom(text, n);
        if (!head) {
            break;
        }
        if (tail ? *head + *tail != text : *head != text) {
            std::abort();
        }
        if (substringRange(text, 0, n) != head) {
            std::abort();
        }
    }
    return 0;
}
