#include "platform/SJMediaCacheServer/Playlist.h"
#include "platform/SJMediaCacheServer/RangeSet.h"
#include "platform/SJMediaCacheServer/RequestHeaders.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mcs;
using namespace mcs::hls;

namespace {

const char* kMaster =
    "#EXTM3U\r\n"
    "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"en\",DEFAULT=NO,URI=\"audio/en.m3u8\"\r\n"
    "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"fr, main\",DEFAULT=YES,URI=\"audio/fr.m3u8\"\r\n"
    "#EXT-X-STREAM-INF:BANDWIDTH=500000,CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"aud\"\r\n"
    "low/index.m3u8\r\n"
    "#EXT-X-STREAM-INF:BANDWIDTH=900000,CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"aud\"\r\n"
    "http://cdn.example/high/index.m3u8\r\n"
    "#EXT-X-STREAM-INF:BANDWIDTH=900000,AUDIO=\"aud\"\r\n"
    "other/index.m3u8\r\n"
    "#EXT-X-I-FRAME-STREAM-INF:BANDWIDTH=100000,URI=\"iframes.m3u8\"\r\n";

const char* kMedia = "#EXTM3U\n"
                     "#EXT-X-VERSION:4\n"
                     "#EXT-X-PLAYLIST-TYPE:VOD\n"
                     "#EXT-X-MAP:URI=\"init.mp4\",BYTERANGE=\"720@0\"\n"
                     "#EXT-X-KEY:METHOD=AES-128,URI=\"https://keys.example/k?id=1,2\",IV=0x01\n"
                     "#EXTINF:2.0,\n"
                     "#EXT-X-BYTERANGE:1000@720\n"
                     "media.mp4\n"
                     "#EXTINF:2.0,\n"
                     "#EXT-X-BYTERANGE:500\n"
                     "media.mp4\n"
                     "#EXT-X-KEY:METHOD=NONE\n"
                     "# a comment\n"
                     "#EXTINF:2.0,\n"
                     "seg3.ts?token=abc\n"
                     "#EXT-X-ENDLIST\n";

} // namespace

TEST(Playlist, ReadsMasterEntriesAndChoosesWhatAnExportNeeds) {
    const auto playlist = parsePlaylist(kMaster);
    ASSERT_TRUE(playlist.valid);
    EXPECT_TRUE(playlist.isMaster);
    ASSERT_EQ(playlist.uris.size(), 6u);
    EXPECT_EQ(playlist.uris[1].role, UriRole::Rendition);
    EXPECT_TRUE(playlist.uris[1].isDefault);
    EXPECT_EQ(playlist.uris[1].uri, "audio/fr.m3u8");
    EXPECT_EQ(playlist.uris[3].role, UriRole::Variant);
    EXPECT_EQ(playlist.uris[3].bandwidth, 900000u);
    EXPECT_EQ(playlist.uris[3].audioGroup, "aud");
    EXPECT_EQ(playlist.uris[5].role, UriRole::IFrameVariant);
    // Highest bandwidth (the first of two equals) and the default audio rendition.
    EXPECT_EQ(chooseExportSelection(playlist), (std::vector<std::size_t>{3, 1}));
}

TEST(Playlist, ReadsSegmentsKeysMapsAndByteRanges) {
    const auto playlist = parsePlaylist(kMedia);
    ASSERT_TRUE(playlist.valid);
    EXPECT_FALSE(playlist.isMaster);
    EXPECT_TRUE(playlist.isFinished());
    ASSERT_EQ(playlist.uris.size(), 5u);
    EXPECT_EQ(playlist.uris[0].role, UriRole::Map);
    EXPECT_EQ(playlist.uris[0].rangeOffset, 0u);
    EXPECT_EQ(playlist.uris[0].rangeLength, 720u);
    EXPECT_EQ(playlist.uris[1].role, UriRole::Key);
    EXPECT_EQ(playlist.uris[1].uri, "https://keys.example/k?id=1,2"); // a quoted comma stays inside
    EXPECT_EQ(playlist.uris[1].keyMethod, "AES-128");
    EXPECT_EQ(playlist.uris[2].rangeOffset, 720u);
    EXPECT_EQ(playlist.uris[2].rangeLength, 1000u);
    EXPECT_EQ(playlist.uris[3].rangeOffset, 1720u); // continues after the previous sub-range
    EXPECT_EQ(playlist.uris[3].rangeLength, 500u);
    EXPECT_EQ(playlist.uris[4].uri, "seg3.ts?token=abc");
    EXPECT_FALSE(playlist.uris[4].rangeLength);

    EXPECT_FALSE(parsePlaylist("#EXTM3U\n#EXTINF:2,\na.ts\n").isFinished()); // live
    EXPECT_FALSE(parsePlaylist("<html>").valid);
    EXPECT_TRUE(parsePlaylist("\xEF\xBB\xBF#EXTM3U\n").valid);
}

TEST(Playlist, RewritesEveryUriAndKeepsEveryOtherByte) {
    const std::string text = kMaster;
    const auto playlist = parsePlaylist(text);
    const auto rewritten = rewritePlaylist(text, playlist, [](const UriReference& reference) {
        return std::optional<std::string>("P[" + reference.uri + "]");
    });
    EXPECT_NE(rewritten.find("URI=\"P[audio/fr.m3u8]\""), std::string::npos);
    EXPECT_NE(rewritten.find("\r\nP[http://cdn.example/high/index.m3u8]\r\n"), std::string::npos);
    EXPECT_NE(rewritten.find("URI=\"P[iframes.m3u8]\""), std::string::npos);
    std::string restored = rewritten;
    for (std::size_t at = restored.find("P["); at != std::string::npos; at = restored.find("P[", at)) {
        restored.erase(at, 2);
        restored.erase(restored.find(']', at), 1);
    }
    EXPECT_EQ(restored, text);

    // A reduced master: only the chosen entries remain, with their tag lines.
    const auto chosen = chooseExportSelection(playlist);
    const auto reduced = rewritePlaylist(
        text, playlist, [](const UriReference&) { return std::nullopt; },
        [&](const UriReference& reference) {
            const auto index = static_cast<std::size_t>(&reference - playlist.uris.data());
            return std::find(chosen.begin(), chosen.end(), index) != chosen.end();
        });
    EXPECT_EQ(
        reduced,
        "#EXTM3U\r\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"aud\",NAME=\"fr, main\",DEFAULT=YES,URI=\"audio/fr.m3u8\"\r\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=900000,CODECS=\"avc1.4d401e,mp4a.40.2\",AUDIO=\"aud\"\r\n"
        "http://cdn.example/high/index.m3u8\r\n");
}

TEST(RangeSet, MergesQueriesAndSurvivesStorage) {
    RangeSet set;
    set.add(10, 20);
    set.add(30, 40);
    set.add(20, 25); // touches the first run
    set.add(5, 8);
    EXPECT_EQ(set.runs().size(), 3u);
    EXPECT_EQ(set.contiguousFrom(10), 15u);
    EXPECT_EQ(set.contiguousFrom(25), 0u);
    EXPECT_TRUE(set.contains(12, 24));
    EXPECT_FALSE(set.contains(12, 31));
    std::uint64_t missing = 0;
    ASSERT_TRUE(set.firstMissing(5, 40, missing));
    EXPECT_EQ(missing, 8u);
    EXPECT_EQ(set.bytesWithin(0, 35), 3u + 15u + 5u);
    set.add(0, 100);
    EXPECT_EQ(set.runs().size(), 1u);
    EXPECT_EQ(RangeSet::deserialize(set.serialize()).serialize(), "0-100");
    EXPECT_TRUE(RangeSet::deserialize("1-x").empty());

    set.add(200, 300);
    set.truncate(250);
    EXPECT_EQ(set.serialize(), "0-100,200-250");
    set.truncate(100);
    EXPECT_EQ(set.serialize(), "0-100");
    set.truncate(0);
    EXPECT_TRUE(set.empty());
}

TEST(Playlist, IsToldByItsStartOrItsMediaTypeNotByItsAddress) {
    EXPECT_TRUE(looksLikePlaylist("#EXTM3U\n"));
    EXPECT_TRUE(looksLikePlaylist("\xEF\xBB\xBF#EXTM3U\n"));
    EXPECT_TRUE(looksLikePlaylist("\xEF\xBB\xBF \r\n\n\t#EXTM3U\n"));
    EXPECT_FALSE(looksLikePlaylist("  \n"));
    EXPECT_FALSE(looksLikePlaylist("<html>#EXTM3U"));
    EXPECT_FALSE(looksLikePlaylist(std::string("\0\0\0\x18"
                                               "ftypisom",
                                               12)));
    EXPECT_TRUE(parsePlaylist("\n\n#EXTM3U\n#EXTINF:1,\nseg.ts\n#EXT-X-ENDLIST\n").isFinished());

    EXPECT_TRUE(isPlaylistContentType("application/vnd.apple.mpegurl"));
    EXPECT_TRUE(isPlaylistContentType("Application/X-MpegURL; charset=utf-8"));
    EXPECT_TRUE(isPlaylistContentType(" audio/mpegurl"));
    EXPECT_TRUE(isPlaylistContentType("audio/x-mpegurl"));
    EXPECT_FALSE(isPlaylistContentType("video/mp2t"));
    EXPECT_FALSE(isPlaylistContentType("application/octet-stream"));
    EXPECT_FALSE(isPlaylistContentType(""));
}

TEST(RequestHeaders, RefusesLineBreaksAndSurvivesStorage) {
    const HeaderFields fields = {
        {"User-Agent", "Mozilla/5.0 (X11; Linux) a:b"}, {"Referer", ""}, {"X-T", " spaced "}};
    EXPECT_TRUE(validHeaderFields(fields));
    EXPECT_EQ(parseHeaderFields(serializeHeaderFields(fields)), fields);
    EXPECT_EQ(parseHeaderFields(""), HeaderFields{});
    EXPECT_FALSE(parseHeaderFields("no colon\n"));
    EXPECT_FALSE(parseHeaderFields("A:b"));
    EXPECT_FALSE(validHeaderFields({{"X", "a\rb"}}));
    EXPECT_FALSE(validHeaderFields({{"X", "a\nb"}}));
    EXPECT_FALSE(validHeaderFields({{"X", std::string("a\0b", 3)}}));
    EXPECT_FALSE(validHeaderFields({{"X:Y", "a"}}));
    EXPECT_FALSE(validHeaderFields({{"X\r\nY", "a"}}));
    EXPECT_FALSE(validHeaderFields({{"", "a"}}));
}
