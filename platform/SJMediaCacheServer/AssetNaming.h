#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mcs {

// Parts of an absolute http(s) address, as libcurl's URL parser reads it.
struct UrlParts {
    std::string scheme; // lower case
    std::string host;
    std::string path;  // begins with "/"
    std::string query; // without "?"
};
std::optional<UrlParts> parseHttpUrl(const std::string& url);

// Resolves `reference` (as written in a playlist) against `base` (RFC 3986); answers
// nothing when the result is not an http(s) address.
std::optional<std::string> resolveUrl(const std::string& base, const std::string& reference);

// The default asset identifier: the address without the extension of its last path
// segment, query kept, fragment dropped.
std::string defaultAssetIdentifier(const std::string& url);

// Whether the address names a playlist by its extension (.m3u8 / .m3u).
bool hasPlaylistExtension(const std::string& url);

// The folder name of an asset: 32 hex digits derived from its identity (the
// identifier, the address's query and its kind), never from remote text.
std::string assetFolderName(const std::string& identifier, const std::string& query, bool playlist);

// A resource's id within its asset: 24 hex digits derived from its resolved address.
std::string resourceId(const std::string& resolvedUrl);

// The last path segment reduced to [A-Za-z0-9._-] (at most 64 characters), keeping the
// extension; used as the last segment of proxy addresses so players see the format.
std::string displayName(const std::string& url);

// The extension under which a resource is stored: the address's own when it is one of
// a fixed list of media extensions, else "bin".
std::string storageExtension(const std::string& url);

// Lower-case hex SHA-256 of `text`.
std::string sha256Hex(std::string_view text);

} // namespace mcs
