#pragma once

#include "platform/Network/NWParameters.h"

#include <curl/curl.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// What every HTTPS transfer of the process carries, whoever makes it (the HTTP session,
// the probe connection, the media cache proxy's upstream fetches):
// - peers are always verified, name included, against the configured certificate
//   authority file or, when none is configured, the system store (its bundle file, which
//   each multi handle then reads once for all its connections);
// - while encrypted name resolution is required, host names are resolved only through
//   the DNS-over-HTTPS resolver (curl never falls back to the system resolver then; the
//   process's own name lookup does the same for the engines and libraries that resolve
//   names themselves, see ProcessNameLookup.h), and
//   the resolver's own host is pinned to its configured addresses so that finding the
//   resolver needs no plain lookup (with no addresses configured, the system finds it).
//   Resolver requests are verified with the same certificate authorities;
// - connections go straight to their peers: proxies named in the environment
//   (https_proxy and the like) are never used, for the resolver's queries least of all;
// - ending a transfer never waits for a system lookup of its host still under way.
// All functions are thread-safe.
namespace NetworkPolicy {

// An empty path means the system store.
void setCertificateAuthorityFile(const std::filesystem::path& file);
std::filesystem::path certificateAuthorityFile();

// Called by the default privacy context; nothing means the system resolver.
void setEncryptedResolver(std::optional<NWParameters::PrivacyContext::ResolverConfiguration> resolver);
std::optional<NWParameters::PrivacyContext::ResolverConfiguration> encryptedResolver();

// Applies the current settings to a fresh (or freshly reset) curl easy handle before its
// transfer starts.
void applyTo(CURL* handle);

// Applies them to a handle that queries the resolver itself: its own name pinned to its
// configured addresses (found by the system when none are configured), its peer verified
// like every other, and no encrypted resolution of its own. False, with the handle left
// as it was, when no resolver is required.
bool applyToResolverQuery(CURL* handle);

// Changes whenever the resolver is set, so that what was resolved through an earlier one
// is not used again.
std::uint64_t resolverGeneration();

// The same as a callable, for components that take a handle configurator.
std::function<void(CURL*)> configurator();

// A line that explains a failed name resolution under the encrypted resolver: a
// resolver whose certificate does not verify shows up in curl only as "could not resolve
// host" with no detail. Empty when no resolver is required.
std::string resolutionFailureHint(const std::string& host);

} // namespace NetworkPolicy
