#include "platform/SJMediaCacheServer/http/HttpMessage.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Request heads and Range values reach the proxy from any local process.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    mcs::http::HttpRequest request;
    std::size_t consumed = 0;
    if (mcs::http::parseRequestHead(text, request, consumed) == mcs::http::ParseStatus::Complete) {
        if (consumed > text.size() || request.target.empty()) {
            __builtin_trap();
        }
        request.wantsKeepAlive();
        request.hasHeaderWithPrefix("Sec-Fetch-");
    }
    for (const std::uint64_t total : {0ull, 1ull, 1000ull, ~0ull}) {
        const auto decision = mcs::http::evaluateRange(text, total);
        if (decision.kind == mcs::http::RangeDecision::Partial &&
            (decision.range.first > decision.range.last || decision.range.last >= total)) {
            __builtin_trap();
        }
    }
    mcs::http::parseContentRange(text);
    return 0;
}
