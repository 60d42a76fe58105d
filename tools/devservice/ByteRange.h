#pragma once

#include <cstddef>
#include <string_view>

namespace devservice {

// What a "Range" request header asks of a body of a known length (RFC 9110, 14.2).
struct RangeAnswer {
    enum class Kind {
        whole,         // no usable range: send everything with 200
        partial,       // send bytes [first, last] with 206
        unsatisfiable, // send 416 with "Content-Range: bytes */<length>"
    };
    Kind kind = Kind::whole;
    std::size_t first = 0;
    std::size_t last = 0; // inclusive
};

// Resolves a single byte range ("bytes=a-b", "bytes=a-", "bytes=-n") against a body
// length: the end is clamped to the last byte, a start at or beyond the end of the body
// is unsatisfiable. A missing, malformed or multi-range header is ignored (whole body),
// as the RFC allows.
RangeAnswer resolveRange(std::string_view header, std::size_t length);

} // namespace devservice
