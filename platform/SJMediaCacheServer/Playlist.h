#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mcs::hls {

// Where a URI stands in a playlist and what it names.
enum class UriRole {
    Variant,       // the line after #EXT-X-STREAM-INF
    IFrameVariant, // #EXT-X-I-FRAME-STREAM-INF URI
    Rendition,     // #EXT-X-MEDIA URI
    Segment,       // a media segment line
    Key,           // #EXT-X-KEY / #EXT-X-SESSION-KEY URI
    Map,           // #EXT-X-MAP URI
    Other,         // session data, parts, preload hints, rendition reports
};

struct UriReference {
    UriRole role = UriRole::Segment;
    std::string uri;        // as written in the playlist, not resolved
    std::size_t offset = 0; // span of `uri` in the playlist text
    std::size_t length = 0;
    // Whole lines that belong to this entry (a variant's tag and URI line, a tag line).
    std::size_t entryStart = 0;
    std::size_t entryEnd = 0;
    std::optional<std::uint64_t> rangeOffset; // #EXT-X-BYTERANGE / BYTERANGE="n@o"
    std::optional<std::uint64_t> rangeLength;
    // Variants and renditions.
    std::uint64_t bandwidth = 0;
    std::string audioGroup;
    std::string subtitlesGroup;
    std::string mediaType; // AUDIO, SUBTITLES, VIDEO, CLOSED-CAPTIONS
    std::string groupId;
    bool isDefault = false;
    // Keys.
    std::string keyMethod;
};

struct Playlist {
    bool valid = false; // starts with #EXTM3U
    bool isMaster = false;
    bool hasEndList = false;
    bool isVod = false; // #EXT-X-PLAYLIST-TYPE:VOD
    std::vector<UriReference> uris;

    // A media playlist that will not change any more (may be cached and exported).
    bool isFinished() const { return isMaster || hasEndList || isVod; }
};

inline constexpr std::size_t kMaxPlaylistBytes = 8 * 1024 * 1024;

// Whether `body` looks like a playlist (#EXTM3U after an optional UTF-8 BOM and white
// space).
bool looksLikePlaylist(std::string_view body);

// Whether a Content-Type field names an HLS playlist (parameters and case ignored).
bool isPlaylistContentType(std::string_view contentType);

// Parses a playlist. Unknown tags are kept out of the result; the text is never changed.
Playlist parsePlaylist(std::string_view text);

// Attributes of a tag such as `BANDWIDTH=800000,CODECS="a,b"`: name, value (quotes
// removed) and where the value stands in `list`.
struct Attribute {
    std::string name;
    std::string value;
    std::size_t valueOffset = 0;
    std::size_t valueLength = 0;
    bool quoted = false;
};
std::vector<Attribute> parseAttributeList(std::string_view list);

// Renders `text` with every URI replaced by `replace(reference)` (a URI for which it
// answers nothing is kept as written) and every entry for which `keep` answers false
// left out. Every other byte of the playlist is kept.
std::string rewritePlaylist(std::string_view text, const Playlist& playlist,
                            const std::function<std::optional<std::string>(const UriReference&)>& replace,
                            const std::function<bool(const UriReference&)>& keep = {});

// The entries an offline copy of a master needs: the variant with the highest bandwidth
// (the first of equals), its default (else first) audio rendition and its default
// subtitles rendition. Answers indexes into `playlist.uris`.
std::vector<std::size_t> chooseExportSelection(const Playlist& playlist);

} // namespace mcs::hls
