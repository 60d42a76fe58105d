#include "MainController/Video/Controller/KKcandyleanViewController.h"
#include "MainController/Video/Model/KKcontrastpierce.h"
#include "MainController/Video/Model/ShortVideoLoader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool allAbsent(const KKcontrastpierce& item) {
    return !item.avatar && !item.cover && !item.cover1 && !item.createTime && !item.desc && !item.douban &&
           !item.mixId && !item.mixItems && !item.mixName && !item.nickname && !item.no && !item.playAddr &&
           !item.title && !item.type && !item.updateTime && !item.vid;
}

std::shared_ptr<KKcontrastpierce> item(const std::string& json) {
    return std::make_shared<KKcontrastpierce>(JSON::parse(json));
}

TEST(ShortVideoItem, ValuesWithoutElementsLeaveEveryFieldAbsent) {
    for (const char* text : {"{}", "null", "[]", "5", "\"x\"", "true"}) {
        EXPECT_TRUE(allAbsent(*item(text))) << text;
    }
}

TEST(ShortVideoItem, ReadsEveryKeyLenientlyAndNeverLeavesOneAbsent) {
    const auto video = item(R"({"desc": 12, "create_time": "42", "no": "abc", "update_time": 12.5,
                                 "mix_id": true, "type": 9.0e30, "douban": 30007007, "vid": false})");
    EXPECT_EQ(video->title, "");
    EXPECT_EQ(video->desc, "12");
    EXPECT_EQ(video->createTime, 42);
    EXPECT_EQ(video->no, 0);
    EXPECT_EQ(video->updateTime, 12.5);
    EXPECT_EQ(video->mixId, 1);
    EXPECT_EQ(video->type, std::numeric_limits<std::int64_t>::max())
        << "out of range clamps, never undefined";
    EXPECT_EQ(video->douban, "30007007");
    EXPECT_EQ(video->vid, "false");
    ASSERT_TRUE(video->mixItems);
    EXPECT_TRUE(video->mixItems->empty());
}

TEST(ShortVideoItem, DecodesNestedItemsInOrderAndStopsAtTheDepthLimit) {
    const auto video =
        item(R"({"title": "a", "mix_items": [{"title": "b", "mix_items": [{"title": "c"}]}, {}]})");
    ASSERT_EQ(video->mixItems->size(), 2u);
    EXPECT_EQ((*video->mixItems)[0]->title, "b");
    EXPECT_EQ((*(*video->mixItems)[0]->mixItems)[0]->title, "c");
    EXPECT_TRUE(allAbsent(*(*video->mixItems)[1]));

    // A deeply nested answer decodes without exhausting the stack.
    std::string deep = R"({"title": "leaf"})";
    for (int i = 0; i < 5000; ++i) {
        deep = R"({"title": "n", "mix_items": [)" + deep + "]}";
    }
    auto level = item(deep);
    int depth = 0;
    while (!level->mixItems->empty()) {
        level = level->mixItems->front();
        ++depth;
    }
    EXPECT_EQ(depth, KKcontrastpierce::maximumMixDepth);
}

TEST(ShortVideoList, AnswersKeepOnlyPlayableItemsRepeatsIncluded) {
    const JSON answer = JSON::parse(R"({"list": [
        {"vid": "v1", "play_addr": "https://media.test/1.m3u8"},
        {},
        {"vid": "v2", "play_addr": ""},
        {"vid": "v3", "play_addr": "https://media.test/3.m3u8"},
        {"play_addr": "https://media.test/4.m3u8"},
        {"play_addr": "https://media.test/4.m3u8"}]})");
    const auto items = shortVideoItems(answer);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0]->vid, "v1");
    EXPECT_EQ(items[1]->vid, "v3");
    EXPECT_EQ(items[2]->playAddr, items[3]->playAddr) << "a repeated video stays";
    EXPECT_NE(items[2], items[3]);
    EXPECT_TRUE(shortVideoItems(JSON::parse(R"({"data": []})")).empty());
}

TEST(ShortVideoAddresses, OnlyWebAddressesPlayAndEveryMediaKeepsItsOwnName) {
    EXPECT_TRUE(isWebAddress("https://media.test/short/1/master.m3u8"));
    EXPECT_TRUE(isWebAddress("http://127.0.0.1:8080/a.mp4?x=1"));
    for (const char* text :
         {"", "media.test/a.mp4", "file:///etc/passwd", "ftp://h/a.mp4", "https://", "一个视频"}) {
        EXPECT_FALSE(isWebAddress(text)) << text;
    }

    const auto name = &KKcandyleanViewController::assetIdentifier;
    // Different media never share a name: the extension and the query stay.
    EXPECT_NE(name("https://m.test/v.m3u8"), name("https://m.test/v.mp4"));
    EXPECT_NE(name("https://m.test/play?id=1.2"), name("https://m.test/play?id=1.3"));
    EXPECT_NE(name("https://m.test/a/v.mp4"), name("https://m.test/b/v.mp4"));
    // The fragment never reaches a server: the same media.
    EXPECT_EQ(name("https://m.test/v.mp4#t=3"), name("https://m.test/v.mp4"));
}

} // namespace
