#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <limits>

namespace {

class PlaybackHistory : public testing::Test {
  protected:
    void SetUp() override {
        clock_ = testsupport::useVirtualClock();
        path_ = testsupport::freshFolder("history") / "history.db";
        store_ = std::make_unique<SJPlaybackHistoryController>(path_);
    }

    SJPlaybackRecord saved(std::int64_t mediaId, const std::string& vodId, double position = 0) {
        SJPlaybackRecord record;
        record.mediaId = mediaId;
        record.vodId = vodId;
        record.position = position;
        EXPECT_TRUE(store_->save(record));
        return record;
    }

    std::vector<std::int64_t> mediaIds(const std::vector<SJSQLite3Condition>& conditions) {
        auto records = store_->recordsForConditions(
            conditions, {SJSQLite3ColumnOrder::orderWithColumn("updatedTime", false)});
        EXPECT_TRUE(records);
        std::vector<std::int64_t> ids;
        if (records) {
            for (const auto& record : *records) {
                ids.push_back(record->mediaId);
            }
        }
        return ids;
    }

    std::shared_ptr<VirtualClock> clock_;
    std::filesystem::path path_;
    std::unique_ptr<SJPlaybackHistoryController> store_;
};

TEST_F(PlaybackHistory, ARecordOfAMediaIsFoundWithAllItsFields) {
    SJPlaybackRecord record;
    record.mediaId = 123456;
    record.position = 1480.5;
    record.vodId = "42";
    record.title = "片名 \"quoted\" 'x'";
    record.cover = "http://127.0.0.1/c.jpg";
    record.index = "3";
    static constexpr char episode[] = "第4集\0\xff'; DROP TABLE x; --";
    record.episode = std::string(episode, sizeof episode - 1);
    record.duration = "0";
    ASSERT_TRUE(store_->save(record));
    EXPECT_DOUBLE_EQ(record.updatedTime, Date::timeIntervalSince1970());

    auto found = store_->recordForMedia(123456, 0, SJMediaTypeVideo);
    ASSERT_TRUE(found);
    ASSERT_NE(*found, nullptr);
    const auto& stored = **found;
    EXPECT_EQ(stored.mediaId, 123456);
    EXPECT_EQ(stored.userId, 0);
    EXPECT_EQ(stored.mediaType, SJMediaTypeVideo);
    EXPECT_DOUBLE_EQ(stored.position, 1480.5);
    EXPECT_DOUBLE_EQ(stored.updatedTime, record.updatedTime);
    EXPECT_EQ(stored.vodId, record.vodId);
    EXPECT_EQ(stored.title, record.title);
    EXPECT_EQ(stored.cover, record.cover);
    EXPECT_EQ(stored.index, record.index);
    EXPECT_EQ(stored.episode, record.episode);
    EXPECT_EQ(stored.duration, "0");

    auto otherUser = store_->recordForMedia(123456, 1, SJMediaTypeVideo);
    ASSERT_TRUE(otherUser);
    EXPECT_EQ(*otherUser, nullptr);
}

TEST_F(PlaybackHistory, FieldsNeverSetStayAbsentAndEmptyTextsStayEmpty) {
    SJPlaybackRecord bare;
    bare.mediaId = 1;
    ASSERT_TRUE(store_->save(bare));
    SJPlaybackRecord empty;
    empty.mediaId = 2;
    empty.vodId = "";
    ASSERT_TRUE(store_->save(empty));

    auto first = *store_->recordForMedia(1, 0, SJMediaTypeVideo);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->vodId || first->title || first->cover || first->index || first->episode ||
                 first->duration);
    auto second = *store_->recordForMedia(2, 0, SJMediaTypeVideo);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->vodId, "");

    EXPECT_EQ(mediaIds({SJSQLite3Condition::conditionWithColumn("vodId", std::nullopt)}),
              (std::vector<std::int64_t>{1}));
    EXPECT_EQ(mediaIds({SJSQLite3Condition::conditionWithColumn("vodId", "")}),
              (std::vector<std::int64_t>{2}));
}

TEST_F(PlaybackHistory, SavingAgainUpdatesTheOneRecordAndMovesItToTheFront) {
    auto first = saved(10, "a", 5);
    saved(20, "b", 6);
    clock_->setMonotonic(100);
    first.position = 50;
    first.duration = "1500";
    ASSERT_TRUE(store_->save(first));

    auto all =
        store_->recordsForConditions({}, {SJSQLite3ColumnOrder::orderWithColumn("updatedTime", false)});
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), 2u);
    EXPECT_EQ((*all)[0]->mediaId, 10);
    EXPECT_DOUBLE_EQ((*all)[0]->position, 50);
    EXPECT_EQ((*all)[0]->duration, "1500");
    EXPECT_EQ((*all)[0]->vodId, "a");
}

TEST_F(PlaybackHistory, SavesWithinOneClockTickKeepTheirOrder) {
    // The virtual clock does not move: every save happens "at the same time".
    for (std::int64_t id = 1; id <= 5; ++id) {
        saved(id, "same");
    }
    saved(3, "same");
    EXPECT_EQ(mediaIds({}), (std::vector<std::int64_t>{3, 5, 4, 2, 1}));

    // Reopened, and with the clock set back, a new save still sorts first.
    store_ = std::make_unique<SJPlaybackHistoryController>(path_);
    clock_->setMonotonic(-3600);
    saved(1, "same");
    EXPECT_EQ(mediaIds({}), (std::vector<std::int64_t>{1, 3, 5, 4, 2}));
}

TEST_F(PlaybackHistory, ConditionsSelectATitlesRecordsAndRemoveThem) {
    saved(1, "film-a");
    saved(2, "film-b");
    saved(3, "film-a");
    saved(4, "电影 'c'");

    const auto filmA = SJSQLite3Condition::conditionWithColumn("vodId", "film-a");
    EXPECT_EQ(mediaIds({filmA}), (std::vector<std::int64_t>{3, 1}));
    EXPECT_EQ(mediaIds({SJSQLite3Condition::conditionWithColumn("vodId", "电影 'c'")}),
              (std::vector<std::int64_t>{4}));
    EXPECT_EQ(mediaIds({filmA, SJSQLite3Condition::conditionWithColumn("mediaId", "1")}),
              (std::vector<std::int64_t>{1}));

    ASSERT_TRUE(store_->removeForConditions({filmA}));
    EXPECT_EQ(mediaIds({}), (std::vector<std::int64_t>{4, 2}));
    EXPECT_EQ(mediaIds({filmA}), (std::vector<std::int64_t>{}));
}

TEST_F(PlaybackHistory, RemovingAUsersRecordsKeepsOtherUsers) {
    saved(1, "a");
    SJPlaybackRecord someoneElse;
    someoneElse.mediaId = 1;
    someoneElse.userId = 7;
    ASSERT_TRUE(store_->save(someoneElse));

    ASSERT_TRUE(store_->removeAllRecordsForUser(0, SJMediaTypeVideo));
    EXPECT_EQ(*store_->recordForMedia(1, 0, SJMediaTypeVideo), nullptr);
    EXPECT_NE(*store_->recordForMedia(1, 7, SJMediaTypeVideo), nullptr);
}

TEST_F(PlaybackHistory, OnlyTheRecordsColumnsMayBeNamed) {
    saved(1, "a");
    auto badCondition = store_->recordsForConditions(
        {SJSQLite3Condition::conditionWithColumn("vodId = vodId OR 1", "x")}, {});
    ASSERT_FALSE(badCondition);
    EXPECT_EQ(badCondition.error().code, SQLITE_ERROR);
    EXPECT_FALSE(
        store_->recordsForConditions({}, {SJSQLite3ColumnOrder::orderWithColumn("id; DROP TABLE x", true)}));
    EXPECT_FALSE(store_->removeForConditions({SJSQLite3Condition::conditionWithColumn("nope", "1")}));
    EXPECT_EQ(mediaIds({}), (std::vector<std::int64_t>{1}));
    // "index" is a keyword of SQL and a column of the record.
    EXPECT_TRUE(store_->recordsForConditions({SJSQLite3Condition::conditionWithColumn("index", "0")},
                                             {SJSQLite3ColumnOrder::orderWithColumn("index", true)}));
}

TEST_F(PlaybackHistory, PositionsThatAreNotFiniteNumbersAreStoredAsZero) {
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), -1e300}) {
        SJPlaybackRecord record;
        record.mediaId = 9;
        record.position = bad;
        ASSERT_TRUE(store_->save(record));
        EXPECT_EQ(record.position, 0.0);
        EXPECT_EQ((*store_->recordForMedia(9, 0, SJMediaTypeVideo))->position, 0.0);
    }
    SJPlaybackRecord nearEnd;
    nearEnd.mediaId = 9;
    nearEnd.position = -15; // the player page's restart a minute before a short media's end
    ASSERT_TRUE(store_->save(nearEnd));
    EXPECT_EQ((*store_->recordForMedia(9, 0, SJMediaTypeVideo))->position, -15.0);
}

TEST(PlaybackHistoryShared, LivesInTheLibraryFolder) {
    SJPlaybackRecord record;
    record.mediaId = 77;
    ASSERT_TRUE(SJPlaybackHistoryController::shared().save(record));
    EXPECT_TRUE(std::filesystem::exists(Paths::library() / "SJPlaybackHistory" / "playback-history.db"));
    EXPECT_NE(*SJPlaybackHistoryController::shared().recordForMedia(77, 0, SJMediaTypeVideo), nullptr);
}

} // namespace
