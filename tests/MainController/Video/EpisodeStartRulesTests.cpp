#include "MainController/Video/Model/EpisodeStartRules.h"
#include "app/Extensions/StringExtensions.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "platform/SJMediaCacheServer/SJMediaCacheServer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

using namespace EpisodeStartRules;

TEST(EpisodeStartRules, MediaIdentifiersComeFromTheFirstSixDigitsOfTheTitlesDigestPlusThePosition) {
    // md5("1021") has at least six decimal digits; the identifier of episode 3 is 3 more.
    const std::string digest = md5String("1021");
    std::string digits;
    for (char c : digest) {
        if (c >= '0' && c <= '9' && digits.size() < 6) {
            digits += c;
        }
    }
    EXPECT_EQ(mediaIdentifier("1021", 0), std::stoll(digits));
    EXPECT_EQ(mediaIdentifier("1021", 3) - mediaIdentifier("1021", 0), 3);
}

TEST(EpisodeStartRules, OnlyHttpAddressesWithAHostReachTheEngines) {
    EXPECT_TRUE(isPlayableAddress("https://127.0.0.1:8443/media/a/1/master.m3u8"));
    EXPECT_TRUE(isPlayableAddress("HTTP://media.orvex.test/x.m3u8?k=1"));
    EXPECT_TRUE(isPlayableAddress("http://[::1]:8080/x.m3u8"));
    for (const std::string refused : {"", "file:///etc/passwd", "av://lavfi:testsrc", "ytdl://x", "https://",
                                      "https:///path", "http://host/a b.m3u8", "http://host/a\r\nX: y",
                                      "lavf://file:/etc/passwd", "/etc/passwd", "ftp://127.0.0.1/a.m3u8"}) {
        EXPECT_FALSE(isPlayableAddress(refused)) << refused;
    }
}

// The proxy's own addresses are the ones it hands out; a remote address that carries a
// loopback address in its query stays remote (and keeps its request headers).
TEST(EpisodeStartRules, OnlyTheProxysOwnAddressesCountAsProxyAddresses) {
    auto& proxy = SJMediaCacheServer::shared();
    const auto local = proxy.playbackURLWithURL("https://media.orvex.test/1021/1/index.m3u8");
    ASSERT_TRUE(local.has_value());
    const auto prefix = proxy.playbackURLPrefix();
    ASSERT_TRUE(prefix.has_value());
    EXPECT_TRUE(isProxyAddress(*local, *prefix));
    EXPECT_FALSE(isProxyAddress("https://media.orvex.test/1021/1/index.m3u8", *prefix));
    EXPECT_FALSE(isProxyAddress("https://media.orvex.test/index.m3u8?back=" + *local, *prefix));
    EXPECT_FALSE(isProxyAddress("https://media.orvex.test/index.m3u8?back=http://127.0.0.1", *prefix));
    // Another loopback server, or this one's port with another token, is not the proxy.
    EXPECT_FALSE(isProxyAddress("http://127.0.0.1:1/abc.m3u8", *prefix));
    const std::string origin = prefix->substr(0, prefix->find('/', std::string("http://").size()));
    EXPECT_FALSE(isProxyAddress(origin + "/other/abc.m3u8", *prefix));
    EXPECT_FALSE(isProxyAddress(*local, ""));
}

TEST(EpisodeStartRules, HeadersFollowTheParseAnswerWithoutUnsafeOnes) {
    EXPECT_TRUE(mediaRequestOptions(JSON::parse(R"({"url":"x"})")).empty());
    const auto emptyOnes = mediaRequestOptions(JSON::parse(R"({"user_agent":"","headers":[]})"));
    EXPECT_TRUE(emptyOnes.empty());

    const auto options = mediaRequestOptions(JSON::parse(R"({
        "user_agent": "Agent/1",
        "headers": [{"key": "Referer", "val": "https://a/"}, {"key": "Referer", "val": "https://b/"},
                    {"key": "X-Only-Key"}, {"key": "Bad Name", "val": "v"}, {"key": "X-Split", "val": "a\r\nX-Evil: 1"},
                    {"key": "X-Number", "val": 7}]})"));
    ASSERT_EQ(options.count(AVURLAssetHTTPHeaderFieldsKey), 1u);
    const AVHTTPHeaderFields expected{
        {"User-Agent", "Agent/1"}, {"Referer", "https://b/"}, {"X-Number", "7"}};
    EXPECT_EQ(options.at(AVURLAssetHTTPHeaderFieldsKey), expected);

    const auto replaced =
        mediaRequestOptions(JSON::parse(R"({"user_agent":"A","headers":[{"key":"User-Agent","val":"B"}]})"));
    EXPECT_EQ(replaced.at(AVURLAssetHTTPHeaderFieldsKey).at("User-Agent"), "B");
}

TEST(EpisodeStartRules, M3u8IsTakenFromThePathAlone) {
    EXPECT_TRUE(pathExtensionIsM3u8("https://h/a/master.m3u8"));
    EXPECT_TRUE(pathExtensionIsM3u8("https://h/a/master.m3u8?x=1.mp4"));
    EXPECT_FALSE(pathExtensionIsM3u8("https://h/a/clip.mp4"));
    EXPECT_FALSE(pathExtensionIsM3u8("https://h/a/clip.mp4?list=.m3u8"));
    EXPECT_FALSE(pathExtensionIsM3u8("https://m3u8.host/"));
}

TEST(EpisodeStartRules, ARecordPointsAtAnEpisodeOnlyForItsOwnTitleAndAValidIndex) {
    SJPlaybackRecord record;
    record.vodId = "1021";
    record.index = "4";
    EXPECT_EQ(recordedPosition(record, "1021"), 4);
    EXPECT_FALSE(recordedPosition(record, "1022"));
    for (const std::string index : {"", "-1", "4x", " 4", "x"}) {
        record.index = index;
        EXPECT_FALSE(recordedPosition(record, "1021")) << index;
    }
    record.index.reset();
    EXPECT_FALSE(recordedPosition(record, "1021"));
}

TEST(EpisodeStartRules, AnEpisodeLeftNearItsEndRestartsAMinuteBeforeTheEnd) {
    SJPlaybackRecord record;
    record.duration = "1500";
    record.position = 1480;
    auto point = resumePoint(record);
    EXPECT_TRUE(point.nearEnd);
    EXPECT_DOUBLE_EQ(point.position, 1440);

    record.position = 1460;
    point = resumePoint(record);
    EXPECT_FALSE(point.nearEnd);
    EXPECT_DOUBLE_EQ(point.position, 1460);

    record.duration = "0";
    record.position = 10;
    EXPECT_FALSE(resumePoint(record).nearEnd);

    // A short media never starts before its beginning.
    record.duration = "45";
    record.position = 20;
    point = resumePoint(record);
    EXPECT_TRUE(point.nearEnd);
    EXPECT_DOUBLE_EQ(point.position, 0);

    record.duration = "abc";
    EXPECT_FALSE(resumePoint(record).nearEnd);
}

// The page writes a learnt duration into the playback record as plain decimal text, in a
// real history file; records that earlier versions stored in the exponent form still
// resume by their length.
TEST(EpisodeStartRules, DurationsAreStoredAsPlainDecimalsAndOldExponentFormsStillRead) {
    for (const auto& [seconds, text] : {std::pair{3600.0, "3600"},
                                        {1500.0, "1500"},
                                        {20.0, "20"},
                                        {1234.5, "1234.5"},
                                        {0.25, "0.25"},
                                        {7200.125, "7200.125"}}) {
        EXPECT_EQ(durationText(seconds), text);
    }
    const auto path = testsupport::freshFolder("history") / "history.db";
    {
        SJPlaybackHistoryController store(path);
        for (const auto& [mediaId, duration] :
             {std::pair{1, durationText(3600).value_or("")}, {2, "3.6e+03"}}) {
            SJPlaybackRecord record;
            record.mediaId = mediaId;
            record.vodId = "1021";
            record.duration = duration;
            record.position = 3590;
            ASSERT_TRUE(store.save(record));
        }
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT duration FROM SJPlaybackRecord WHERE mediaId = 1", -1,
                                 &statement, nullptr),
              SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "3600");
    sqlite3_finalize(statement);
    sqlite3_close(db);

    SJPlaybackHistoryController reopened(path);
    for (const std::int64_t mediaId : {1, 2}) {
        auto record = reopened.recordForMedia(mediaId, 0, SJMediaTypeVideo);
        ASSERT_TRUE(record && *record) << mediaId;
        const auto point = resumePoint(**record);
        EXPECT_TRUE(point.nearEnd) << mediaId;
        EXPECT_DOUBLE_EQ(point.position, 3540) << mediaId;
    }
}

TEST(EpisodeStartRules, DurationsAndPromptsReadAsTheRecordAndTheUserExpect) {
    EXPECT_EQ(durationText(1234.5), "1234.5");
    EXPECT_EQ(durationText(6), "6");
    EXPECT_EQ(durationText(6.016), "6.016");
    EXPECT_FALSE(durationText(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(durationText(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(resumePromptText(3725.9), "从上次的位置 01:02:05 处开始播放");
    EXPECT_EQ(resumePromptText(65), "从上次的位置 01:05 处开始播放");
    EXPECT_EQ(decodedText("5YCN6YCf"), "倍速");
    EXPECT_EQ(decodedText("%%%"), "");
}

} // namespace
