#include "tools/devservice/ByteRange.h"
#include "tools/devservice/DnsAnswer.h"
#include "tools/devservice/FormEncoding.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Feeds outside input to each parser of the development service: DNS query messages,
// form and query text, base64url and Range headers.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
    case 0:
        if (const auto answer = devservice::answerDnsQuery(input)) {
            if (answer->size() < 12 || answer->substr(0, 2) != input.substr(0, 2)) {
                __builtin_trap();
            }
        }
        break;
    case 1:
        devservice::parseFormText(input);
        break;
    case 2:
        devservice::decodeBase64Url(input);
        break;
    default: {
        const auto range = devservice::resolveRange(input, size * 7);
        if (range.kind == devservice::RangeAnswer::Kind::partial &&
            (range.first > range.last || range.last >= size * 7)) {
            __builtin_trap();
        }
        break;
    }
    }
    return 0;
}
