#include "MainController/Video/Model/EpisodeStartRules.h"
#include "app/Extensions/StringExtensions.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(isProxyAddress("http://127.0.0.1:5800/abc.m3u8"));
    EXPECT_FALSE(isProxyAddress("https://127.0.0.1:5800/abc.m3u8"));
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
