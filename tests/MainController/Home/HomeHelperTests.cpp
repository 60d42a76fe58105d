#include "MainController/Home/Helpers/AdItem.h"
#include "MainController/Home/Helpers/FilmPages.h"
#include "MainController/Home/Helpers/FilmStars.h"
#include "MainController/Home/Helpers/HomeTabs.h"

#include <gtest/gtest.h>

#include <deque>

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

// Pages whose answers the test gives, in any order.
class Paging : public testing::Test {
  protected:
    struct Asked {
        int page;
        KKriplog::Completion completion;
    };

    void SetUp() override {
        pages = FilmPages::make(
            [this](int page, KKriplog::Completion completion) {
                asked.push_back({page, completion});
            },
            [this](const FilmPages::Update& update) { updates.push_back(update); });
    }

    static JSON films(int first, int count) {
        JSON::Storage array = JSON::Storage::array();
        for (int i = first; i < first + count; ++i) {
            array.push_back({{"vod_id", std::to_string(i)}});
        }
        return JSON(array);
    }
    void answer(std::size_t request, std::optional<JSON> json) {
        auto completion = asked.at(request).completion;
        completion(json, json ? std::nullopt : std::optional<NSError>(NSError{"网络错误", 404}));
    }
    std::vector<std::string> ids() const {
        std::vector<std::string> found;
        for (const auto& film : pages->list()) {
            found.push_back(*film.vodId);
        }
        return found;
    }

    std::shared_ptr<FilmPages> pages;
    std::vector<Asked> asked;
    std::vector<FilmPages::Update> updates;
};

TEST_F(Paging, PagesAppendUntilTheFirstEmptyPage) {
    pages->refresh();
    answer(0, films(1, 15));
    pages->loadMore();
    answer(1, films(16, 3));
    EXPECT_FALSE(updates.back().reachedEnd) << "a short page does not end the list";
    pages->loadMore();
    answer(2, films(0, 0));
    EXPECT_TRUE(updates.back().reachedEnd);
    EXPECT_EQ(asked[2].page, 3);
    EXPECT_EQ(pages->list().size(), 18u);
    pages->refresh();
    answer(3, films(100, 2));
    EXPECT_EQ(asked[3].page, 1);
    EXPECT_EQ(ids(), (std::vector<std::string>{"100", "101"})) << "page 1 replaces the list";
}

TEST_F(Paging, AnswersToRequestsBeforeARefreshAreDropped) {
    pages->refresh();
    answer(0, films(1, 15));
    pages->loadMore();       // page 2, slow
    pages->refresh();        // page 1 again
    answer(2, films(1, 15)); // the refresh answers first
    answer(1, films(16, 15));
    EXPECT_EQ(pages->list().size(), 15u) << "the old page 2 is not appended to the new list";
    EXPECT_EQ(updates.size(), 2u);
    pages->loadMore();
    EXPECT_EQ(asked.back().page, 2);
}

TEST_F(Paging, ALoadMoreWaitsForARefreshOnItsWay) {
    pages->refresh();
    pages->loadMore();
    EXPECT_EQ(asked.size(), 1u);
    answer(0, films(1, 15));
    EXPECT_FALSE(pages->isLoading());
}

TEST_F(Paging, AFailedLoadMoreAsksTheSamePageNextTime) {
    pages->refresh();
    answer(0, films(1, 15));
    pages->loadMore();
    answer(1, std::nullopt);
    EXPECT_FALSE(updates.back().succeeded);
    EXPECT_EQ(pages->list().size(), 15u) << "a failure changes no film";
    pages->loadMore();
    EXPECT_EQ(asked.back().page, 2);
}

TEST_F(Paging, AnAnswerAfterThePagesAreGoneIsIgnored) {
    pages->refresh();
    auto completion = asked[0].completion;
    pages.reset();
    completion(films(1, 3), std::nullopt);
    EXPECT_TRUE(updates.empty());
}

} // namespace
