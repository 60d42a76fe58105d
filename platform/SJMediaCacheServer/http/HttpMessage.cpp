#include "platform/SJMediaCacheServer/http/HttpMessage.h"

#include <charconv>
#include <limits>

namespace mcs::http {

namespace {

char lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isTokenChar(unsigned char c) {
    if (c >= '0' && c <= '9') {
        return true;
    }
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
        return true;
    }
    switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '-':
    case '.':
    case '^':
    case '_':
    case '`':
    case '|':
    case '~':
        return true;
    default:
        return false;
    }
}

bool isToken(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (!isTokenChar(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

// Field values may hold visible characters, spaces, tabs and obs-text, nothing else.
bool isFieldValue(std::string_view text) {
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\t') {
            continue;
        }
        if (c < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return true;
}

// Targets: visible ASCII only (no spaces, no controls, no raw bytes above 0x7e).
bool isTarget(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7f) {
            return false;
        }
    }
    return true;
}

std::optional<std::uint64_t> parseNumber(std::string_view text) {
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Splits off one line ending in LF (with an optional CR before it); answers false when
// the buffer holds no complete line.
bool nextLine(std::string_view buffer, std::size_t& position, std::string_view& line) {
    const auto end = buffer.find('\n', position);
    if (end == std::string_view::npos) {
        return false;
    }
    line = buffer.substr(position, end - position);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    position = end + 1;
    return true;
}

} // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string_view trimWhitespace(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::string_view> HttpRequest::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (equalsIgnoringCase(key, name)) {
            return std::string_view(value);
        }
    }
    return std::nullopt;
}

bool HttpRequest::hasHeaderWithPrefix(std::string_view prefix) const {
    for (const auto& entry : headers) {
        if (entry.first.size() >= prefix.size() &&
            equalsIgnoringCase(std::string_view(entry.first).substr(0, prefix.size()), prefix)) {
            return true;
        }
    }
    return false;
}

bool HttpRequest::wantsKeepAlive() const {
    const auto connection = header("Connection");
    if (connection && equalsIgnoringCase(trimWhitespace(*connection), "close")) {
        return false;
    }
    if (minorVersion == 0) {
        return connection && equalsIgnoringCase(trimWhitespace(*connection), "keep-alive");
    }
    return true;
}

ParseStatus parseRequestHead(std::string_view buffer, HttpRequest& request, std::size_t& consumed) {
    const auto headEnd = [&]() -> std::size_t {
        const auto crlf = buffer.find("\r\n\r\n");
        const auto lf = buffer.find("\n\n");
        if (crlf == std::string_view::npos && lf == std::string_view::npos) {
            return std::string_view::npos;
        }
        if (crlf == std::string_view::npos) {
            return lf + 2;
        }
        if (lf == std::string_view::npos) {
            return crlf + 4;
        }
        return std::min(crlf + 4, lf + 2);
    }();
    if (headEnd == std::string_view::npos) {
        return buffer.size() > kMaxRequestHead ? ParseStatus::TooLarge : ParseStatus::Incomplete;
    }
    if (headEnd > kMaxRequestHead) {
        return ParseStatus::TooLarge;
    }
    const std::string_view head = buffer.substr(0, headEnd);
    request = HttpRequest{};
    std::size_t position = 0;
    std::string_view line;
    // A few empty lines before the request line are tolerated (RFC 9112, 2.2).
    do {
        if (!nextLine(head, position, line)) {
            return ParseStatus::Invalid;
        }
    } while (line.empty() && position < 8);
    const auto firstSpace = line.find(' ');
    const auto lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || firstSpace == lastSpace) {
        return ParseStatus::Invalid;
    }
    const auto method = line.substr(0, firstSpace);
    const auto target = line.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    const auto version = line.substr(lastSpace + 1);
    if (!isToken(method) || !isTarget(target)) {
        return ParseStatus::Invalid;
    }
    if (version == "HTTP/1.1") {
        request.minorVersion = 1;
    } else if (version == "HTTP/1.0") {
        request.minorVersion = 0;
    } else {
        return ParseStatus::Invalid;
    }
    request.method = std::string(method);
    request.target = std::string(target);
    while (nextLine(head, position, line)) {
        if (line.empty()) {
            consumed = headEnd;
            return ParseStatus::Complete;
        }
        if (line.front() == ' ' || line.front() == '\t') {
            return ParseStatus::Invalid; // obsolete line folding
        }
        const auto colon = line.find(':');
        if (colon == std::string_view::npos) {
            return ParseStatus::Invalid;
        }
        const auto name = line.substr(0, colon);
        const auto value = trimWhitespace(line.substr(colon + 1));
        if (!isToken(name) || !isFieldValue(value)) {
            return ParseStatus::Invalid;
        }
        if (request.headers.size() >= 100) {
            return ParseStatus::TooLarge;
        }
        request.headers.emplace_back(std::string(name), std::string(value));
    }
    return ParseStatus::Invalid;
}

RangeDecision evaluateRange(std::optional<std::string_view> value, std::uint64_t total) {
    RangeDecision whole;
    if (!value) {
        return whole;
    }
    auto text = trimWhitespace(*value);
    constexpr std::string_view unit = "bytes=";
    if (text.size() < unit.size() || !equalsIgnoringCase(text.substr(0, unit.size()), unit)) {
        return whole;
    }
    text = trimWhitespace(text.substr(unit.size()));
    if (text.find(',') != std::string_view::npos) {
        return whole; // several ranges: the whole representation is a valid answer
    }
    const auto dash = text.find('-');
    if (dash == std::string_view::npos) {
        return whole;
    }
    const auto firstText = trimWhitespace(text.substr(0, dash));
    const auto lastText = trimWhitespace(text.substr(dash + 1));
    RangeDecision decision;
    if (firstText.empty()) {
        const auto suffix = parseNumber(lastText);
        if (!suffix) {
            return whole;
        }
        if (*suffix == 0 || total == 0) {
            decision.kind = RangeDecision::Unsatisfiable;
            return decision;
        }
        decision.kind = RangeDecision::Partial;
        decision.range.first = *suffix >= total ? 0 : total - *suffix;
        decision.range.last = total - 1;
        return decision;
    }
    const auto first = parseNumber(firstText);
    if (!first) {
        return whole;
    }
    std::uint64_t last = std::numeric_limits<std::uint64_t>::max();
    if (!lastText.empty()) {
        const auto parsed = parseNumber(lastText);
        if (!parsed || *parsed < *first) {
            return whole;
        }
        last = *parsed;
    }
    if (*first >= total) {
        decision.kind = RangeDecision::Unsatisfiable;
        return decision;
    }
    decision.kind = RangeDecision::Partial;
    decision.range.first = *first;
    decision.range.last = std::min(last, total - 1);
    return decision;
}

std::optional<ContentRange> parseContentRange(std::string_view value) {
    auto text = trimWhitespace(value);
    constexpr std::string_view unit = "bytes ";
    if (text.size() < unit.size() || !equalsIgnoringCase(text.substr(0, unit.size()), unit)) {
        return std::nullopt;
    }
    text = trimWhitespace(text.substr(unit.size()));
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) {
        return std::nullopt;
    }
    ContentRange result;
    const auto rangeText = text.substr(0, slash);
    const auto totalText = text.substr(slash + 1);
    if (totalText != "*") {
        result.total = parseNumber(totalText);
        if (!result.total) {
            return std::nullopt;
        }
    }
    if (rangeText != "*") {
        const auto dash = rangeText.find('-');
        if (dash == std::string_view::npos) {
            return std::nullopt;
        }
        const auto first = parseNumber(rangeText.substr(0, dash));
        const auto last = parseNumber(rangeText.substr(dash + 1));
        if (!first || !last || *last < *first || (result.total && *last >= *result.total)) {
            return std::nullopt;
        }
        result.range = ByteRange{*first, *last};
    }
    return result;
}

std::string reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 416:
        return "Range Not Satisfiable";
    case 421:
        return "Misdirected Request";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return "Status";
    }
}

} // namespace mcs::http
