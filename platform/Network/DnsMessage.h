#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The DNS wire format (RFC 1035) as DNS over HTTPS carries it (RFC 8484): one question
// per query, and the addresses an answer gives for it.
namespace dns {

enum class RecordType : std::uint16_t { a = 1, aaaa = 28 };

// A query with ID 0 (the form RFC 8484 recommends, so that caches can share answers)
// and recursion desired for `name` (dot separated, a trailing dot allowed). Nothing when
// the name cannot be carried: an empty label, a label over 63 bytes, a name over 253.
std::optional<std::string> makeQuery(std::string_view name, RecordType type);

struct Address {
    RecordType type = RecordType::a;
    std::array<std::uint8_t, 16> bytes{}; // 4 bytes used for A records
};

struct Answer {
    enum class Outcome {
        addresses, // the name has addresses of the asked type (in `addresses`)
        noData,    // the name exists without addresses of that type
        noName,    // the name does not exist
        failed,    // the resolver could not answer (server failure, refused, ...)
    };
    Outcome outcome = Outcome::failed;
    std::vector<Address> addresses;
    // The name the addresses belong to, after the answer's aliases (lower case, no trailing
    // dot); never empty. A failed answer keeps the asked name.
    std::string canonicalName;
    // How long the answer may be kept: the smallest TTL of the records used, or for a
    // negative answer what its authority's SOA allows; 0 when it may not be kept.
    std::uint32_t ttlSeconds = 0;
};

// Reads the answer to a query made by makeQuery(name, type). Nothing when the message is
// not a well-formed response to that question; addresses are taken only from records
// that belong to the name or to the aliases (CNAME) the answer leads it through. An
// answer whose aliases lead to the root name, or run longer than any resolver gives, is
// failed like an answer with an error code.
std::optional<Answer> readAnswer(std::string_view message, std::string_view name, RecordType type);

// `name` in lower case without its trailing dot: the form names are compared in.
std::string canonicalForm(std::string_view name);

} // namespace dns
