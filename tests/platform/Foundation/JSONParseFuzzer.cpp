// Any text: the quick parse either leaves it to nlohmann or builds exactly nlohmann's value.
#include "platform/Foundation/JSONFastParse.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto quick = parseJSONQuickly(text);
    if (!quick) {
        return 0;
    }
    const auto reference = JSON::Storage::parse(text, nullptr, false);
    if (reference.is_discarded() || *quick != reference || quick->dump() != reference.dump()) {
        std::abort();
    }
    return 0;
}
