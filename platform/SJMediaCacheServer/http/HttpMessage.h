#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mcs::http {

// One request head as it came off the wire: request line and header fields. There are
// no bodies: the loopback servers built on this answer GET and HEAD only.
struct HttpRequest {
    std::string method;
    std::string target;
    int minorVersion = 1; // HTTP/1.<minorVersion>
    std::vector<std::pair<std::string, std::string>> headers;

    // The value of the first field named `name` (compared without case), if any.
    std::optional<std::string_view> header(std::string_view name) const;
    // Whether a field whose name starts with `prefix` (without case) is present.
    bool hasHeaderWithPrefix(std::string_view prefix) const;
    // Whether the client wants the connection kept open after this exchange.
    bool wantsKeepAlive() const;
};

enum class ParseStatus { Incomplete, Complete, Invalid, TooLarge };

inline constexpr std::size_t kMaxRequestHead = 16 * 1024;

// Parses a request head at the front of `buffer` (request line, fields, empty line;
// CRLF or bare LF line ends). Strict: tokens must be valid, obsolete line folding and
// control characters are refused. On Complete, `consumed` is the length of the head.
ParseStatus parseRequestHead(std::string_view buffer, HttpRequest& request, std::size_t& consumed);

// An inclusive byte range of a representation.
struct ByteRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint64_t length() const { return last - first + 1; }
};

// What a Range header asks of a representation of `total` bytes.
struct RangeDecision {
    enum Kind {
        Whole,         // no usable Range: answer 200 with everything
        Partial,       // answer 206 with `range`
        Unsatisfiable, // answer 416 with "bytes */total"
    };
    Kind kind = Whole;
    ByteRange range;
};

// Evaluates a Range field value against a known length. Malformed values and
// multi-range requests are answered with the whole representation, as RFC 9110 allows;
// ends beyond the length are clamped; a first byte at or past the end is unsatisfiable.
RangeDecision evaluateRange(std::optional<std::string_view> value, std::uint64_t total);

// Parses "bytes first-last/total" or "bytes */total" (as found in Content-Range).
struct ContentRange {
    std::optional<ByteRange> range;
    std::optional<std::uint64_t> total;
};
std::optional<ContentRange> parseContentRange(std::string_view value);

bool equalsIgnoringCase(std::string_view a, std::string_view b);
std::string_view trimWhitespace(std::string_view text);
std::string reasonPhrase(int status);

} // namespace mcs::http
