#pragma once

#include "platform/Network/DnsMessage.h"

#include <string>
#include <vector>

// Looks host names up through the DNS-over-HTTPS resolver that NetworkPolicy holds, for
// the parts of the process that resolve names themselves (the process's name lookup
// entry). Queries go out as RFC 8484 POSTs over verified HTTPS to the resolver's pinned
// addresses, the A and AAAA queries of one lookup at once; connections to the resolver
// are kept for the next lookup. Answers are kept as long as their TTL allows (at most ten
// minutes), a failed query (resolver unreachable, slow past its time, no usable answer)
// for a few seconds, during which the same question fails at once; both are forgotten
// when the resolver changes.
// Thread-safe: lookups on several threads run at the same time. A lookup that wants an
// answer another lookup is already asking for waits for that answer instead of asking too,
// no longer than that query may take.
namespace EncryptedNameResolver {

struct Lookup {
    enum class Outcome {
        addresses,  // `addresses` holds at least one address
        noName,     // the resolver knows no address of the wanted families for the name
        failed,     // the resolver could not be reached or gave no usable answer
        noResolver, // no resolver is required: the caller uses the system's
    };
    Outcome outcome = Outcome::failed;
    std::vector<dns::Address> addresses; // IPv4 before IPv6
    std::string canonicalName;           // after aliases; the asked name when there were none
};

// `name` is a host name (not an address literal).
Lookup resolve(const std::string& name, bool ipv4, bool ipv6);

} // namespace EncryptedNameResolver
