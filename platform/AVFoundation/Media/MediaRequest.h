#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

// Which addresses an engine may open. Media addresses from the service may be only
// http or https (the local cache proxy is http on 127.0.0.1); local files are for
// media the program names itself, such as its packaged splash video.
enum class MediaURLScope {
    Network,
    NetworkOrFile,
};

// Why an address is refused, or nothing when it may be opened in `scope`. Refused:
// other schemes (the engines also understand "av://", "lavf://", "ftp://", bare paths
// and more, none of which service data may reach), addresses without a host,
// and addresses with spaces or control characters.
std::optional<std::string> mediaURLRefusal(const std::string& url, MediaURLScope scope);

// What an engine is asked to open.
struct MediaRequest {
    std::string url;
    // Seconds from the start; 0 or less plays from the start.
    double startPosition = 0;
    // Header fields of every HTTP request, in order; names are unique (case-insensitively)
    // and never "User-Agent".
    std::vector<std::pair<std::string, std::string>> headerFields;
    // Empty: the engine's own.
    std::string userAgent;
};

// A request for `url` with the caller's header fields made safe: a field whose name is
// not an HTTP token or whose value has a line break or NUL is dropped, a later field
// replaces an earlier one of the same name, and "User-Agent" (any case) becomes the
// request's user agent.
MediaRequest makeMediaRequest(std::string url, double startPosition,
                              const std::vector<std::pair<std::string, std::string>>& headerFields);
