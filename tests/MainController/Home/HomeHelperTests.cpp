#include "MainController/Home/Helpers/AdItem.h"
#include "MainController/Home/Helpers/FilmStars.h"
#include "MainController/Home/Helpers/HomeTabs.h"

#include <gtest/gtest.h>

namespace {

using Stars = std::array<StarLook, 5>;
constexpr StarLook O = StarLook::unlit;
constexpr StarLook X = StarLook::lit;
constexpr StarLook H = StarLook::half;

TEST(FilmStars, ScoresLightWholeAndHalfStars) {
    EXPECT_EQ(starsForScore("7.8"), (Stars{X, X, X, X, O})) << "rounds to 8";
    EXPECT_EQ(starsForScore("6.6"), (Stars{X, X, X, H, O})) << "rounds to 7";
    EXPECT_EQ(starsForScore("6.5"), (Stars{X, X, X, H, O})) << "halves round away from zero";
    EXPECT_EQ(starsForScore("1.2"), (Stars{O, O, O, O, O}));
    EXPECT_EQ(starsForScore("2"), (Stars{X, O, O, O, O}));
    EXPECT_EQ(starsForScore("9.5"), (Stars{X, X, X, X, X}));
    EXPECT_EQ(starsForScore("10"), (Stars{X, X, X, X, X}));
    EXPECT_EQ(starsForScore("10.6"), (Stars{X, X, X, X, X})) << "no half star past the fifth";
}

TEST(FilmStars, TextsThatAreNotAFiniteNumberLightNothing) {
    for (const char* score : {"", "abc", " 7.8", "7.8 ", "7.8分", "inf", "nan", "-nan", "1e400", "-3"}) {
        EXPECT_EQ(starsForScore(score), (Stars{O, O, O, O, O})) << score;
    }
}

TEST(HomeTabs, TabsComeFromTheArrayAndTheCacheAlike) {
    const JSON reply =
        JSON::parse(R"([{"type_id":0,"type_name":"推荐"},{"type_id":"7","type_name":"纪录片"},{}])");
    const auto tabs = homeTabsFromJSON(reply);
    ASSERT_EQ(tabs.size(), 3u);
    EXPECT_EQ(tabs[0].title, recommendTabTitle());
    EXPECT_EQ(tabs[1].typeId, 7);
    EXPECT_EQ(tabs[2].typeId, 0) << "missing keys read as 0 and \"\"";
    EXPECT_EQ(tabs[2].title, "");
    EXPECT_EQ(homeTabsFromCache(reply.rawString()).size(), 3u);
    EXPECT_TRUE(homeTabsFromCache("").empty());
    EXPECT_TRUE(homeTabsFromCache("{not json").empty());
    EXPECT_TRUE(homeTabsFromJSON(JSON::parse(R"({"type_id":1})")).empty());
    EXPECT_EQ(searchPlaceholder(), "搜索电影、剧集、综艺、动漫…");
}

TEST(HomeTabs, NoticeKeysNeverMeetTheApplicationsOwnKeys) {
    for (const char* key : {"login", "history", "home_parseJSON", "clearAD", "showAD", ""}) {
        EXPECT_NE(noticeShownKey(key), key);
    }
    EXPECT_NE(noticeShownKey("a"), noticeShownKey("b"));
}

TEST(AdItem, OnlyFilmsAndWebAddressesDoAnything) {
    const auto action = [](const char* json) { return AdItem(JSON::parse(json)).tapAction(); };
    EXPECT_EQ(action(R"({"req_type":1,"req_content":"1003"})"), AdItem::Action::openFilm);
    EXPECT_EQ(action(R"({"req_type":"1","req_content":""})"), AdItem::Action::openFilm);
    EXPECT_EQ(action(R"({"req_type":3,"req_content":"https://orvex.test/x"})"),
              AdItem::Action::openWebAddress);
    EXPECT_EQ(action(R"({"req_type":3,"req_content":"file:///etc/passwd"})"), AdItem::Action::none);
    EXPECT_EQ(action(R"({"req_type":3,"req_content":"orvex://open"})"), AdItem::Action::none);
    EXPECT_EQ(action(R"({"req_type":2,"req_content":"https://orvex.test/x"})"), AdItem::Action::none);
    EXPECT_EQ(action(R"({"req_content":"1003"})"), AdItem::Action::none);
}

} // namespace
