#include "app/Records/KKcommenthumble.h"
#include "app/Records/KKeditjerk.h"
#include "app/Records/KKenthusiasticreap.h"
#include "app/Records/KKreapedit.h"
#include "platform/ActiveSQLite/ASConfigration.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class Records : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(
            ASConfigration::setDefaultDB(testsupport::freshFolder("Documents") / "fflist.db", "fflist.db"));
    }
    void TearDown() override { ASConfigration::closeDefaultDB(); }

    // What the download picker stores for the episode at `index` of a title.
    static std::shared_ptr<KKcommenthumble> download(const std::string& vodId, const std::string& index,
                                                     const std::string& state = "waiting") {
        auto record = std::make_shared<KKcommenthumble>();
        record->url = "https://media.example/" + vodId + "/" + index + ".m3u8";
        record->src = "src-" + index;
        record->name = "片名";
        record->type = "m3u8";
        record->cover = "https://img.example/" + vodId + ".jpg";
        record->index = index;
        record->vod_id = vodId;
        record->episode = "第" + index + "集";
        record->state = state;
        EXPECT_TRUE(record->save());
        return record;
    }

    static std::vector<std::string> pairs(const std::vector<std::shared_ptr<KKcommenthumble>>& records) {
        std::vector<std::string> result;
        for (const auto& record : records) {
            result.push_back(record->vod_id + ":" + record->index);
        }
        return result;
    }
};

TEST_F(Records, ANewDownloadReadsBackWithItsDefaults) {
    download("42", "0");
    auto found = KKcommenthumble::findFirst({{"vod_id", "42"}, {"index", "0"}});
    ASSERT_TRUE(found);
    ASSERT_NE(*found, nullptr);
    const auto& record = **found;
    EXPECT_EQ(record.state, "waiting");
    EXPECT_EQ(record.progress, 0.0);
    EXPECT_EQ(record.watching, "no");
    EXPECT_EQ(record.size, "");
    EXPECT_EQ(record.episode, "第0集");
    EXPECT_EQ(record.url, "https://media.example/42/0.m3u8");

    auto otherEpisode = KKcommenthumble::findFirst({{"vod_id", "42"}, {"index", "1"}});
    ASSERT_TRUE(otherEpisode);
    EXPECT_EQ(*otherEpisode, nullptr);
    // A title model without an identifier looks up with an absent value: nothing matches.
    auto withoutTitle =
        KKcommenthumble::findFirst({{"vod_id", std::optional<std::string>()}, {"index", "0"}});
    ASSERT_TRUE(withoutTitle);
    EXPECT_EQ(*withoutTitle, nullptr);
}

TEST_F(Records, AnEpisodeNeverHasTwoDownloadRecords) {
    auto first = download("42", "3");
    // The picker creates a record again for an episode still "waiting".
    auto again = std::make_shared<KKcommenthumble>();
    again->vod_id = "42";
    again->index = "3";
    again->url = "https://media.example/new.m3u8";
    ASSERT_TRUE(again->save());
    EXPECT_EQ(again->id, first->id);

    auto all = KKcommenthumble::findAll({{"vod_id", "42"}});
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 1u);
    EXPECT_EQ((*all)[0]->url, "https://media.example/new.m3u8");
    EXPECT_EQ((*all)[0]->state, "waiting");

    // The older in-memory record still writes to the one row.
    first->state = "downing";
    ASSERT_TRUE(first->update());
    EXPECT_EQ((*KKcommenthumble::findFirst({{"vod_id", "42"}, {"index", "3"}}))->state, "downing");
}

TEST_F(Records, ProgressAndWatchingWrittenByDifferentPagesBothSurvive) {
    download("7", "0", "finish");
    auto managerCopy = *KKcommenthumble::findFirst({{"vod_id", "7"}, {"index", "0"}});
    auto playerCopy = *KKcommenthumble::findFirst({{"vod_id", "7"}, {"index", "0"}});

    playerCopy->watching = "yes";
    ASSERT_TRUE(playerCopy->update());
    managerCopy->progress = static_cast<double>(1.0f);
    ASSERT_TRUE(managerCopy->update());

    auto stored = *KKcommenthumble::findFirst({{"vod_id", "7"}, {"index", "0"}});
    EXPECT_EQ(stored->watching, "yes");
    EXPECT_EQ(stored->progress, 1.0);
    EXPECT_EQ(stored->state, "finish");
}

TEST_F(Records, FinishedAndUnfinishedListsAndTheTitleView) {
    download("a", "0", "finish");
    download("b", "0", "downing");
    download("a", "1", "finish");
    download("c", "0", "odd-state");
    download("b", "1", "finish");
    download("a", "2", "pause");

    auto finished = KKcommenthumble::findAll(ASColumnRef("state") == "finish");
    ASSERT_TRUE(finished);
    EXPECT_EQ(pairs(*finished), (std::vector<std::string>{"a:0", "a:1", "b:1"}));
    auto unfinished = KKcommenthumble::findAll(ASColumnRef("state") != "finish");
    ASSERT_TRUE(unfinished);
    EXPECT_EQ(pairs(*unfinished), (std::vector<std::string>{"b:0", "c:0", "a:2"}));

    // The download manager lists the last stored finished episode of each title.
    std::vector<std::shared_ptr<KKcommenthumble>> reversed(finished->rbegin(), finished->rend());
    EXPECT_EQ(pairs(uniqueByVodId(reversed)), (std::vector<std::string>{"b:1", "a:1"}));

    auto ofTitle = KKcommenthumble::findAll({{"vod_id", "a"}});
    ASSERT_TRUE(ofTitle);
    EXPECT_EQ(ofTitle->size(), 3u);
}

TEST_F(Records, EpisodesOfATitleAreOrderedByTheirIndexText) {
    for (const char* index : {"2", "10", "0", "1"}) {
        download("t", index, "finish");
    }
    download("t", "3", "downing");
    auto episodes = KKcommenthumble::findAll({{"state", "finish"}, {"vod_id", "t"}}, {{"index", true}});
    ASSERT_TRUE(episodes);
    EXPECT_EQ(pairs(*episodes), (std::vector<std::string>{"t:0", "t:1", "t:10", "t:2"}));
}

TEST_F(Records, UniqueByVodIdKeepsTheFirstOfEachTitleInOrder) {
    std::vector<std::shared_ptr<KKcommenthumble>> records;
    for (const char* id : {"x", "y", "x", "z", "X", "y"}) {
        auto record = std::make_shared<KKcommenthumble>();
        record->vod_id = id;
        record->index = std::to_string(records.size());
        records.push_back(record);
    }
    EXPECT_EQ(pairs(uniqueByVodId(records)), (std::vector<std::string>{"x:0", "y:1", "z:3", "X:4"}));
    EXPECT_TRUE(uniqueByVodId({}).empty());
}

TEST_F(Records, DeletingATitlesRecordsLeavesOtherTitles) {
    download("a", "0", "finish");
    download("a", "1", "downing");
    download("b", "0", "finish");
    auto ofTitle = *KKcommenthumble::findAll({{"vod_id", "a"}});
    for (const auto& record : ofTitle) {
        ASSERT_TRUE(record->deleteRecord());
    }
    auto rest = KKcommenthumble::findAll(ASAttributes{});
    ASSERT_TRUE(rest);
    EXPECT_EQ(pairs(*rest), (std::vector<std::string>{"b:0"}));
    // A progress report that arrives after the delete does not bring the row back.
    ofTitle[1]->progress = 0.5;
    EXPECT_FALSE(ofTitle[1]->update());
    EXPECT_EQ(KKcommenthumble::findAll(ASAttributes{})->size(), 1u);
}

TEST_F(Records, TheNewestParseAnswerOfAnAddressReplacesTheOlder) {
    const std::string src = "https://v.example/play?id=1&q='x'";
    ASSERT_TRUE(KKeditjerk::storeAnswer(src, JSON::parse(R"({"url":"first"})")));
    ASSERT_TRUE(KKeditjerk::storeAnswer(
        src, JSON::parse(R"({"url":"second","headers":[{"key":"Referer","val":"中文"}]})")));
    // Answers that are not objects are not kept.
    ASSERT_TRUE(KKeditjerk::storeAnswer(src, JSON::parse(R"(["not","an","object"])")));
    ASSERT_TRUE(KKeditjerk::storeAnswer(src, JSON::parse("not json")));

    auto all = KKeditjerk::findAll({{"src", src}});
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 1u);
    auto answer = KKeditjerk::storedAnswer(src);
    ASSERT_TRUE(answer);
    ASSERT_TRUE(answer->has_value());
    EXPECT_EQ((**answer)["url"].stringValue(), "second");
    EXPECT_EQ((**answer)["headers"][0]["val"].stringValue(), "中文");

    auto unknown = KKeditjerk::storedAnswer("https://v.example/other");
    ASSERT_TRUE(unknown);
    EXPECT_FALSE(unknown->has_value());
}

TEST_F(Records, AStoredParseTextThatIsNotJSONYieldsNoAddress) {
    KKeditjerk broken;
    broken.src = "s";
    broken.parseJson = "{\"url\": trunc";
    ASSERT_TRUE(broken.save());
    auto answer = KKeditjerk::storedAnswer("s");
    ASSERT_TRUE(answer);
    ASSERT_TRUE(answer->has_value());
    EXPECT_EQ((**answer)["url"].stringValue(), "");
}

TEST_F(Records, SkipRecordsHoldWholeSecondsAndStartAtZero) {
    KKreapedit fresh;
    EXPECT_EQ(fresh.startProgress, 0.0);
    EXPECT_EQ(fresh.endProgress, 0.0);

    KKreapedit record;
    record.vod_id = "42";
    record.startProgress = 0;
    record.endProgress = 1;
    ASSERT_TRUE(record.save());
    auto found = *KKreapedit::findFirst({{"vod_id", "42"}});
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(static_cast<int>(found->endProgress), 1);
    EXPECT_EQ(found->startProgress, 0.0);

    found->startProgress = 90;
    found->endProgress = 15;
    ASSERT_TRUE(found->update());
    EXPECT_EQ((*KKreapedit::findFirst({{"vod_id", "42"}}))->startProgress, 90.0);

    ASSERT_TRUE(found->deleteRecord());
    EXPECT_EQ(*KKreapedit::findFirst({{"vod_id", "42"}}), nullptr);
}

TEST_F(Records, TheDetailCacheIsFoundByTitleAndKeepsItsTexts) {
    KKenthusiasticreap cache;
    cache.vod_id = "42";
    cache.type = "m3u8";
    ASSERT_TRUE(cache.save());
    auto found = *KKenthusiasticreap::findFirst("vod_id", "42");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->type, "m3u8");
    EXPECT_EQ(found->videoJson, "");
    EXPECT_EQ(found->videoListJson, "");

    found->videoJson = JSON::parse(R"({"vod_name":"名字 \"q\""})").rawString();
    found->videoListJson = R"([{"name":"线路1"}])";
    ASSERT_TRUE(found->save());
    auto again = *KKenthusiasticreap::findFirst("vod_id", "42");
    EXPECT_EQ(JSON::parse(again->videoJson)["vod_name"].stringValue(), "名字 \"q\"");
    EXPECT_EQ(JSON::parse(again->videoListJson).count(), 1u);
    EXPECT_EQ(KKenthusiasticreap::findAll({{"vod_id", "42"}})->size(), 1u);
}

} // namespace
