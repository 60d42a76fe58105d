#pragma once

#include <netdb.h>

// The process's own name lookup entry. The playback engines and the libraries beside
// them (FFmpeg under mpv, GLib under GStreamer) resolve host names themselves, through
// getaddrinfo. An executable that links this library defines getaddrinfo and
// getnameinfo itself (and exports them, so that every library of the process binds to
// them); while encrypted name resolution is required they follow the same policy as the
// API's requests:
// - a host name is resolved only through the DNS-over-HTTPS resolver, never by the
//   system, and a name the resolver does not know does not exist;
// - the resolver's own name answers its configured addresses; only when none are
//   configured is it found by the system (nothing else could find it);
// - address literals are taken as they are; "localhost" and names under it are the
//   loopback addresses;
// - an address is never turned back into a name (that would ask the system's resolver
//   in the clear): getnameinfo answers the numeric form.
// Without a required resolver both entries are the system's. Certificates are checked by
// the engines against the host name of the address they were given, which stays as it is.
namespace ProcessNameLookup {

// Finds the system's entries ahead of the first lookup. Called when the resolver
// changes; safe to call at any time from any thread.
void prepare();

// Whether the process's getaddrinfo is this one (the executable exports it).
bool isInstalled();

// getaddrinfo's signature.
using SystemLookup = int (*)(const char* node, const char* service, const struct addrinfo* hints,
                             struct addrinfo** result);

// Puts `lookup` in the place of the system's for the names this entry hands to the system
// (every name while no resolver is required, the resolver's own name when no addresses
// are configured for it); address literals still go to the C library. For tests that need
// a name only the system knows, or a system that answers slowly. Nothing puts the
// system's back. Thread-safe.
void replaceSystemLookupForTesting(SystemLookup lookup);

} // namespace ProcessNameLookup
