#include "platform/Network/DnsMessage.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Answers reach the name lookup from the resolver, which the process trusts no more than
// any peer: whatever they hold, reading them ends, and what it gives is consistent.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    for (const auto type : {dns::RecordType::a, dns::RecordType::aaaa}) {
        const auto answer = dns::readAnswer(message, "media.example", type);
        if (!answer) {
            continue;
        }
        const bool hasAddresses = !answer->addresses.empty();
        if (hasAddresses != (answer->outcome == dns::Answer::Outcome::addresses) ||
            answer->canonicalName.empty()) {
            __builtin_trap();
        }
        for (const auto& address : answer->addresses) {
            if (address.type != type) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
