#include "platform/SJMediaCacheServer/Playlist.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

namespace mcs::hls {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

std::optional<std::uint64_t> parseNumber(std::string_view text) {
    std::uint64_t value = 0;
    if (text.empty() || text.size() > 19) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// "n[@o]" of #EXT-X-BYTERANGE and the BYTERANGE attribute.
bool parseByteRange(std::string_view text, std::uint64_t& length, std::optional<std::uint64_t>& offset) {
    const auto at = text.find('@');
    const auto parsedLength = parseNumber(text.substr(0, at));
    if (!parsedLength) {
        return false;
    }
    length = *parsedLength;
    offset.reset();
    if (at != std::string_view::npos) {
        offset = parseNumber(text.substr(at + 1));
        if (!offset) {
            return false;
        }
    }
    return true;
}

const Attribute* findAttribute(const std::vector<Attribute>& attributes, std::string_view name) {
    for (const auto& attribute : attributes) {
        if (attribute.name == name) {
            return &attribute;
        }
    }
    return nullptr;
}

struct Line {
    std::string_view text; // without the line end
    std::size_t start = 0; // offset of the line in the playlist
    std::size_t end = 0;   // offset just past its line end
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t position = 0;
    while (position < text.size()) {
        auto newline = text.find('\n', position);
        const std::size_t next = newline == std::string_view::npos ? text.size() : newline + 1;
        if (newline == std::string_view::npos) {
            newline = text.size();
        }
        auto content = text.substr(position, newline - position);
        if (!content.empty() && content.back() == '\r') {
            content.remove_suffix(1);
        }
        lines.push_back({content, position, next});
        position = next;
    }
    return lines;
}

} // namespace

bool looksLikePlaylist(std::string_view body) {
    if (startsWith(body, kBom)) {
        body.remove_prefix(kBom.size());
    }
    const auto first = body.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && startsWith(body.substr(first), "#EXTM3U");
}

bool isPlaylistContentType(std::string_view contentType) {
    const auto end = contentType.find(';');
    auto type = contentType.substr(0, end);
    while (!type.empty() && (type.back() == ' ' || type.back() == '\t')) {
        type.remove_suffix(1);
    }
    while (!type.empty() && (type.front() == ' ' || type.front() == '\t')) {
        type.remove_prefix(1);
    }
    std::string lower(type);
    for (auto& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower == "application/vnd.apple.mpegurl" || lower == "application/x-mpegurl" ||
           lower == "audio/mpegurl" || lower == "audio/x-mpegurl";
}

std::vector<Attribute> parseAttributeList(std::string_view list) {
    std::vector<Attribute> attributes;
    std::size_t position = 0;
    while (position < list.size()) {
        while (position < list.size() && (list[position] == ' ' || list[position] == ',')) {
            ++position;
        }
        const auto equals = list.find('=', position);
        if (equals == std::string_view::npos) {
            break;
        }
        Attribute attribute;
        attribute.name = std::string(list.substr(position, equals - position));
        position = equals + 1;
        if (position < list.size() && list[position] == '"') {
            const auto close = list.find('"', position + 1);
            if (close == std::string_view::npos) {
                break; // an unterminated quoted string ends the list
            }
            attribute.quoted = true;
            attribute.valueOffset = position + 1;
            attribute.valueLength = close - position - 1;
            position = close + 1;
        } else {
            auto comma = list.find(',', position);
            if (comma == std::string_view::npos) {
                comma = list.size();
            }
            attribute.valueOffset = position;
            attribute.valueLength = comma - position;
            position = comma;
        }
        attribute.value = std::string(list.substr(attribute.valueOffset, attribute.valueLength));
        attributes.push_back(std::move(attribute));
    }
    return attributes;
}

Playlist parsePlaylist(std::string_view text) {
    Playlist playlist;
    if (text.size() > kMaxPlaylistBytes || !looksLikePlaylist(text)) {
        return playlist;
    }
    playlist.valid = true;
    const auto lines = splitLines(text);
    std::optional<std::size_t> pendingVariant; // index of the #EXT-X-STREAM-INF line
    std::uint64_t pendingBandwidth = 0;
    std::string pendingAudio;
    std::string pendingSubtitles;
    std::optional<std::uint64_t> pendingRangeLength;
    std::optional<std::uint64_t> pendingRangeOffset;
    std::map<std::string, std::uint64_t, std::less<>> nextOffsetByUri;

    for (std::size_t index = 0; index < lines.size(); ++index) {
        const auto& line = lines[index];
        auto content = line.text;
        if (index == 0 && startsWith(content, kBom)) {
            content.remove_prefix(kBom.size());
        }
        const std::size_t contentStart =
            line.start + static_cast<std::size_t>(content.data() - line.text.data());
        if (content.empty()) {
            continue;
        }
        if (content.front() != '#') {
            UriReference reference;
            reference.uri = std::string(content);
            reference.offset = contentStart;
            reference.length = content.size();
            reference.entryStart = line.start;
            reference.entryEnd = line.end;
            if (pendingVariant) {
                reference.role = UriRole::Variant;
                reference.entryStart = lines[*pendingVariant].start;
                reference.bandwidth = pendingBandwidth;
                reference.audioGroup = pendingAudio;
                reference.subtitlesGroup = pendingSubtitles;
                pendingVariant.reset();
            } else {
                reference.role = UriRole::Segment;
                if (pendingRangeLength) {
                    const auto found = nextOffsetByUri.find(reference.uri);
                    const std::uint64_t offset = pendingRangeOffset               ? *pendingRangeOffset
                                                 : found != nextOffsetByUri.end() ? found->second
                                                                                  : 0;
                    reference.rangeOffset = offset;
                    reference.rangeLength = *pendingRangeLength;
                    nextOffsetByUri[reference.uri] = offset + *pendingRangeLength;
                    pendingRangeLength.reset();
                    pendingRangeOffset.reset();
                }
            }
            playlist.uris.push_back(std::move(reference));
            continue;
        }
        if (!startsWith(content, "#EXT")) {
            continue; // a comment
        }
        const auto colon = content.find(':');
        const auto tag = content.substr(0, colon);
        const auto value = colon == std::string_view::npos ? std::string_view{} : content.substr(colon + 1);
        const std::size_t valueStart =
            contentStart + (colon == std::string_view::npos ? content.size() : colon + 1);
        if (tag == "#EXT-X-ENDLIST") {
            playlist.hasEndList = true;
            continue;
        }
        if (tag == "#EXT-X-PLAYLIST-TYPE") {
            playlist.isVod = value == "VOD";
            continue;
        }
        if (tag == "#EXT-X-BYTERANGE") {
            std::uint64_t length = 0;
            std::optional<std::uint64_t> offset;
            if (parseByteRange(value, length, offset)) {
                pendingRangeLength = length;
                pendingRangeOffset = offset;
            }
            continue;
        }
        if (tag == "#EXT-X-STREAM-INF") {
            playlist.isMaster = true;
            const auto attributes = parseAttributeList(value);
            pendingVariant = index;
            pendingBandwidth = 0;
            pendingAudio.clear();
            pendingSubtitles.clear();
            if (const auto* bandwidth = findAttribute(attributes, "BANDWIDTH")) {
                pendingBandwidth = parseNumber(bandwidth->value).value_or(0);
            }
            if (const auto* audio = findAttribute(attributes, "AUDIO")) {
                pendingAudio = audio->value;
            }
            if (const auto* subtitles = findAttribute(attributes, "SUBTITLES")) {
                pendingSubtitles = subtitles->value;
            }
            continue;
        }
        UriRole role;
        if (tag == "#EXT-X-KEY" || tag == "#EXT-X-SESSION-KEY") {
            role = UriRole::Key;
        } else if (tag == "#EXT-X-MAP") {
            role = UriRole::Map;
        } else if (tag == "#EXT-X-MEDIA") {
            role = UriRole::Rendition;
        } else if (tag == "#EXT-X-I-FRAME-STREAM-INF") {
            playlist.isMaster = true;
            role = UriRole::IFrameVariant;
        } else if (tag == "#EXT-X-SESSION-DATA" || tag == "#EXT-X-PART" || tag == "#EXT-X-PRELOAD-HINT" ||
                   tag == "#EXT-X-RENDITION-REPORT") {
            role = UriRole::Other;
        } else {
            continue;
        }
        const auto attributes = parseAttributeList(value);
        const auto* uri = findAttribute(attributes, "URI");
        if (uri == nullptr || !uri->quoted) {
            continue; // METHOD=NONE keys and closed captions carry no URI
        }
        UriReference reference;
        reference.role = role;
        reference.uri = uri->value;
        reference.offset = valueStart + uri->valueOffset;
        reference.length = uri->valueLength;
        reference.entryStart = line.start;
        reference.entryEnd = line.end;
        if (const auto* method = findAttribute(attributes, "METHOD")) {
            reference.keyMethod = method->value;
        }
        if (const auto* type = findAttribute(attributes, "TYPE")) {
            reference.mediaType = type->value;
        }
        if (const auto* group = findAttribute(attributes, "GROUP-ID")) {
            reference.groupId = group->value;
        }
        if (const auto* isDefault = findAttribute(attributes, "DEFAULT")) {
            reference.isDefault = isDefault->value == "YES";
        }
        if (const auto* bandwidth = findAttribute(attributes, "BANDWIDTH")) {
            reference.bandwidth = parseNumber(bandwidth->value).value_or(0);
        }
        if (role == UriRole::Map) {
            if (const auto* range = findAttribute(attributes, "BYTERANGE")) {
                std::uint64_t length = 0;
                std::optional<std::uint64_t> offset;
                if (parseByteRange(range->value, length, offset)) {
                    reference.rangeLength = length;
                    reference.rangeOffset = offset.value_or(0);
                }
            }
        }
        playlist.uris.push_back(std::move(reference));
    }
    return playlist;
}

std::string rewritePlaylist(std::string_view text, const Playlist& playlist,
                            const std::function<std::optional<std::string>(const UriReference&)>& replace,
                            const std::function<bool(const UriReference&)>& keep) {
    std::string output;
    output.reserve(text.size() + playlist.uris.size() * 64);
    std::size_t position = 0;
    for (const auto& reference : playlist.uris) {
        if (keep && !keep(reference)) {
            if (reference.entryStart >= position) {
                output.append(text.substr(position, reference.entryStart - position));
                position = std::max(position, reference.entryEnd);
            }
            continue;
        }
        if (reference.offset < position) {
            continue;
        }
        output.append(text.substr(position, reference.offset - position));
        if (auto replacement = replace(reference)) {
            output += *replacement;
        } else {
            output.append(text.substr(reference.offset, reference.length));
        }
        position = reference.offset + reference.length;
    }
    output.append(text.substr(std::min(position, text.size())));
    return output;
}

std::vector<std::size_t> chooseExportSelection(const Playlist& playlist) {
    std::vector<std::size_t> chosen;
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < playlist.uris.size(); ++i) {
        const auto& reference = playlist.uris[i];
        if (reference.role == UriRole::Variant &&
            (!best || reference.bandwidth > playlist.uris[*best].bandwidth)) {
            best = i;
        }
    }
    if (!best) {
        return chosen;
    }
    chosen.push_back(*best);
    const auto& variant = playlist.uris[*best];
    const auto pickRendition = [&](const std::string& type, const std::string& group, bool firstAsFallback) {
        if (group.empty()) {
            return;
        }
        std::optional<std::size_t> first;
        for (std::size_t i = 0; i < playlist.uris.size(); ++i) {
            const auto& reference = playlist.uris[i];
            if (reference.role != UriRole::Rendition || reference.mediaType != type ||
                reference.groupId != group) {
                continue;
            }
            if (reference.isDefault) {
                chosen.push_back(i);
                return;
            }
            if (!first) {
                first = i;
            }
        }
        if (first && firstAsFallback) {
            chosen.push_back(*first);
        }
    };
    pickRendition("AUDIO", variant.audioGroup, true);
    pickRendition("SUBTITLES", variant.subtitlesGroup, false);
    return chosen;
}

} // namespace mcs::hls
