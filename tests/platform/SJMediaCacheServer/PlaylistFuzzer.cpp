#include "platform/SJMediaCacheServer/Playlist.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Playlists come from remote servers: parsing, choosing and rewriting must hold for
// any bytes, and rewriting with every URI kept must give the text back unchanged.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto playlist = mcs::hls::parsePlaylist(text);
    for (const auto& reference : playlist.uris) {
        if (reference.offset + reference.length > text.size() || reference.entryEnd > text.size() ||
            text.compare(reference.offset, reference.length, reference.uri) != 0) {
            __builtin_trap();
        }
    }
    const auto unchanged =
        mcs::hls::rewritePlaylist(text, playlist, [](const auto&) { return std::nullopt; });
    if (unchanged != text) {
        __builtin_trap();
    }
    const auto selection = mcs::hls::chooseExportSelection(playlist);
    mcs::hls::rewritePlaylist(
        text, playlist, [](const auto& reference) { return std::optional<std::string>("x" + reference.uri); },
        [&](const auto& reference) {
            return reference.role != mcs::hls::UriRole::Variant || !selection.empty();
        });
    mcs::hls::parseAttributeList(text);
    return 0;
}
