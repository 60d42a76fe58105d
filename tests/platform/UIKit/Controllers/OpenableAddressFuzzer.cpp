#include "platform/UIKit/Controllers/URLOpener.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

// Addresses from the service reach the check before the desktop's opener: it must never
// fail on any text, and what it lets through must be an http or https address without
// control characters.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!isOpenableWebAddress(text)) {
        return 0;
    }
    std::string start = text.substr(0, 8);
    std::transform(start.begin(), start.end(), start.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    const bool webScheme = start.rfind("http://", 0) == 0 || start.rfind("https://", 0) == 0;
    const bool control = std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
    if (!webScheme || control) {
        std::abort();
    }
    return 0;
}
