#pragma once

#include "platform/Network/NWParameters.h"

#include <curl/curl.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// What every HTTPS transfer of the process carries, whoever makes it (the HTTP session,
// the probe connection, the media cache proxy's upstream fetches):
// - peers are always verified, name included, against the configured certificate
//   authority file or, when none is configured, the system store;
// - while encrypted name resolution is required, host names are resolved only through
//   the DNS-over-HTTPS resolver (curl never falls back to the system resolver then), and
//   the resolver's own host is pinned to its configured addresses so that finding the
//   resolver needs no plain lookup. Resolver requests are verified with the same
//   certificate authorities.
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

// The same as a callable, for components that take a handle configurator.
std::function<void(CURL*)> configurator();

// A line that explains a failed name resolution under the encrypted resolver: a
// resolver whose certificate does not verify shows up in curl only as "could not resolve
// host" with no detail. Empty when no resolver is required.
std::string resolutionFailureHint(const std::string& host);

} // namespace NetworkPolicy
