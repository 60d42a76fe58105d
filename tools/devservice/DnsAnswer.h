#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace devservice {

// The zone the development service resolves over DNS-over-HTTPS: every name in it is
// 127.0.0.1 over IPv4 and has no IPv6 address. No other resolver knows these names.
inline constexpr std::string_view kServiceZone = "orvex.test";
// The host of the service's pictures and media: a name, never an address, so that every
// client that fetches them has to resolve it through the service's resolver.
inline constexpr std::string_view kMediaHost = "media.orvex.test";

// Answers one DNS query message (RFC 1035 wire format, as RFC 8484 carries it): an A
// query for a name in the zone gets one A record 127.0.0.1; an AAAA query for such a
// name gets NOERROR without records; any other question gets NXDOMAIN. The answer
// repeats the query's ID, question and recursion-desired flag.
// Answers nothing when the message is not a well-formed standard query with exactly one
// question (the caller then refuses the request).
std::optional<std::string> answerDnsQuery(std::string_view query);

// The name a well-formed query asks about (lower case, no trailing dot); nothing for a
// message answerDnsQuery refuses.
std::optional<std::string> queriedName(std::string_view query);

} // namespace devservice
