#include "platform/Network/ProcessNameLookup.h"

#include "platform/Network/EncryptedNameResolver.h"
#include "platform/Network/NetworkPolicy.h"

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netdb.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using GetAddrInfo = int (*)(const char*, const char*, const struct addrinfo*, struct addrinfo**);
using GetNameInfo = int (*)(const struct sockaddr*, socklen_t, char*, socklen_t, char*, socklen_t, int);

struct SystemEntries {
    GetAddrInfo getaddrinfo = nullptr;
    GetNameInfo getnameinfo = nullptr;
};

// The entries of the libraries after this executable: the C library's.
const SystemEntries& systemEntries() {
    static const SystemEntries entries = [] {
        SystemEntries found;
        found.getaddrinfo = reinterpret_cast<GetAddrInfo>(dlsym(RTLD_NEXT, "getaddrinfo"));
        found.getnameinfo = reinterpret_cast<GetNameInfo>(dlsym(RTLD_NEXT, "getnameinfo"));
        return found;
    }();
    return entries;
}

std::atomic<ProcessNameLookup::SystemLookup> replacedSystemLookup{nullptr};

// Hands a name to the system's resolver (or to what a test put in its place).
int lookUpBySystem(const char* node, const char* service, const struct addrinfo* hints,
                   struct addrinfo** result) {
    if (const auto replaced = replacedSystemLookup.load()) {
        return replaced(node, service, hints, result);
    }
    return systemEntries().getaddrinfo(node, service, hints, result);
}

bool isLoopbackName(const std::string& name) {
    return name == "localhost" || name.ends_with(".localhost");
}

// An address as getaddrinfo reads it with AI_NUMERICHOST.
std::string addressText(const dns::Address& address, bool mapped) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.type == dns::RecordType::a) {
        inet_ntop(AF_INET, address.bytes.data(), text, sizeof text);
        return mapped ? "::ffff:" + std::string(text) : std::string(text);
    }
    inet_ntop(AF_INET6, address.bytes.data(), text, sizeof text);
    return text;
}

std::optional<dns::Address> parseAddress(const std::string& text) {
    dns::Address address;
    if (inet_pton(AF_INET, text.c_str(), address.bytes.data()) == 1) {
        address.type = dns::RecordType::a;
        return address;
    }
    if (inet_pton(AF_INET6, text.c_str(), address.bytes.data()) == 1) {
        address.type = dns::RecordType::aaaa;
        return address;
    }
    return std::nullopt;
}

// The addresses a name stands for under the policy, or the error getaddrinfo gives.
struct Found {
    std::vector<dns::Address> addresses;
    std::string canonicalName;
    int error = 0;
    bool leftToTheSystem = false; // only the system's resolver can find the name
};

Found find(const std::string& name, const NWParameters::PrivacyContext::ResolverConfiguration& resolver,
           bool ipv4, bool ipv6) {
    Found found;
    found.canonicalName = name;
    if (isLoopbackName(name)) {
        for (const char* loopback : {"127.0.0.1", "::1"}) {
            found.addresses.push_back(*parseAddress(loopback));
        }
        return found;
    }
    if (name == dns::canonicalForm(resolver.urlHost())) {
        // Asking the resolver for its own name would need the resolver first.
        found.leftToTheSystem = resolver.serverAddresses().empty();
        for (const auto& endpoint : resolver.serverAddresses()) {
            if (const auto address = parseAddress(endpoint.host)) {
                found.addresses.push_back(*address);
            }
        }
        return found;
    }
    const auto lookup = EncryptedNameResolver::resolve(name, ipv4, ipv6);
    switch (lookup.outcome) {
    case EncryptedNameResolver::Lookup::Outcome::addresses:
        found.addresses = lookup.addresses;
        found.canonicalName = lookup.canonicalName;
        break;
    case EncryptedNameResolver::Lookup::Outcome::noName:
        found.error = EAI_NONAME;
        break;
    case EncryptedNameResolver::Lookup::Outcome::failed:
    case EncryptedNameResolver::Lookup::Outcome::noResolver:
        found.error = EAI_AGAIN;
        break;
    }
    return found;
}

// Builds getaddrinfo's list for the found addresses: the C library makes one entry per
// address from its numeric form (with the service, socket types and protocols the hints
// ask for), so that the list is its own and freeaddrinfo releases it.
int buildList(const Found& found, const char* service, const struct addrinfo& hints,
              struct addrinfo** result) {
    const bool mapIPv4 = hints.ai_family == AF_INET6 && (hints.ai_flags & AI_V4MAPPED) != 0;
    const bool hasIPv6 = std::any_of(found.addresses.begin(), found.addresses.end(), [](const auto& address) {
        return address.type == dns::RecordType::aaaa;
    });
    struct addrinfo numeric = hints;
    numeric.ai_flags =
        (hints.ai_flags & ~(AI_CANONNAME | AI_ADDRCONFIG | AI_V4MAPPED | AI_ALL)) | AI_NUMERICHOST;
    struct addrinfo* head = nullptr;
    struct addrinfo** tail = &head;
    int firstError = EAI_NONAME;
    for (const auto& address : found.addresses) {
        const bool ipv4 = address.type == dns::RecordType::a;
        bool mapped = false;
        if (ipv4 && hints.ai_family == AF_INET6) {
            if (!mapIPv4 || (hasIPv6 && (hints.ai_flags & AI_ALL) == 0)) {
                continue;
            }
            mapped = true;
        } else if ((ipv4 && hints.ai_family != AF_INET && hints.ai_family != AF_UNSPEC) ||
                   (!ipv4 && hints.ai_family != AF_INET6 && hints.ai_family != AF_UNSPEC)) {
            continue;
        }
        struct addrinfo* entries = nullptr;
        const int error =
            systemEntries().getaddrinfo(addressText(address, mapped).c_str(), service, &numeric, &entries);
        if (error != 0) {
            if (firstError == EAI_NONAME) {
                firstError = error;
            }
            continue;
        }
        *tail = entries;
        while (*tail != nullptr) {
            tail = &(*tail)->ai_next;
        }
    }
    if (head == nullptr) {
        return firstError;
    }
    if ((hints.ai_flags & AI_CANONNAME) != 0) {
        std::free(head->ai_canonname);
        head->ai_canonname = strdup(found.canonicalName.c_str());
    }
    *result = head;
    return 0;
}

} // namespace

namespace ProcessNameLookup {

void prepare() {
    (void)systemEntries();
}

bool isInstalled() {
    return reinterpret_cast<void*>(dlsym(RTLD_DEFAULT, "getaddrinfo")) ==
           reinterpret_cast<void*>(&::getaddrinfo);
}

void replaceSystemLookupForTesting(SystemLookup lookup) {
    replacedSystemLookup.store(lookup);
}

} // namespace ProcessNameLookup

extern "C" int getaddrinfo(const char* node, const char* service, const struct addrinfo* hints,
                           struct addrinfo** result) {
    const SystemEntries& entries = systemEntries();
    if (entries.getaddrinfo == nullptr) {
        errno = ENOSYS;
        return EAI_SYSTEM;
    }
    if (node == nullptr || (hints != nullptr && (hints->ai_flags & AI_NUMERICHOST) != 0)) {
        return entries.getaddrinfo(node, service, hints, result);
    }
    const auto resolver = NetworkPolicy::encryptedResolver();
    if (!resolver) {
        return lookUpBySystem(node, service, hints, result);
    }
    // The C library's defaults when no hints are given.
    struct addrinfo asked {};
    asked.ai_flags = AI_V4MAPPED | AI_ADDRCONFIG;
    if (hints != nullptr) {
        asked = *hints;
        asked.ai_canonname = nullptr;
        asked.ai_addr = nullptr;
        asked.ai_next = nullptr;
    }
    if (asked.ai_family != AF_UNSPEC && asked.ai_family != AF_INET && asked.ai_family != AF_INET6) {
        return EAI_FAMILY;
    }
    // An address literal (or hints the library refuses) is answered as it is.
    struct addrinfo literal = asked;
    literal.ai_flags |= AI_NUMERICHOST;
    if (const int error = entries.getaddrinfo(node, service, &literal, result);
        error != EAI_NONAME || parseAddress(node)) {
        return error;
    }
    const std::string name = dns::canonicalForm(node);
    if (name.empty()) {
        return EAI_NONAME;
    }
    const bool ipv4 = asked.ai_family != AF_INET6 || (asked.ai_flags & AI_V4MAPPED) != 0;
    const bool ipv6 = asked.ai_family != AF_INET;
    const Found found = find(name, *resolver, ipv4, ipv6);
    if (found.leftToTheSystem) {
        return lookUpBySystem(node, service, hints, result);
    }
    if (found.error != 0) {
        return found.error;
    }
    return buildList(found, service, asked, result);
}

extern "C" int getnameinfo(const struct sockaddr* address, socklen_t length, char* host, socklen_t hostLength,
                           char* service, socklen_t serviceLength, int flags) {
    const SystemEntries& entries = systemEntries();
    if (entries.getnameinfo == nullptr) {
        errno = ENOSYS;
        return EAI_SYSTEM;
    }
    if (host != nullptr && hostLength > 0 && (flags & NI_NUMERICHOST) == 0 &&
        NetworkPolicy::encryptedResolver()) {
        if ((flags & NI_NAMEREQD) != 0) {
            return EAI_NONAME;
        }
        flags |= NI_NUMERICHOST;
    }
    return entries.getnameinfo(address, length, host, hostLength, service, serviceLength, flags);
}
