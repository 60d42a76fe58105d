#pragma once

#include "platform/ActiveSQLite/SQLiteConnection.h"
#include "platform/SJBaseVideoPlayer/History/SJPlaybackRecord.h"
#include "platform/SJUIKit/SJSQLite3ColumnOrder.h"
#include "platform/SJUIKit/SJSQLite3Condition.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

// The playback-history store: one record per media, user and media type, in a SQLite
// file of its own. Conditions and orderings may name only the record's columns:
// "mediaId", "mediaType", "userId", "position", "updatedTime", "vodId", "title",
// "cover", "index", "episode" and "duration"; any other name fails the call.
// Used from the main thread only.
class SJPlaybackHistoryController {
  public:
    // The store of the application, in its Library folder.
    static SJPlaybackHistoryController& shared();

    // A store in the file at `databasePath`, opened on first use (and again on the next
    // call when opening failed).
    explicit SJPlaybackHistoryController(std::filesystem::path databasePath);
    SJPlaybackHistoryController(const SJPlaybackHistoryController&) = delete;
    SJPlaybackHistoryController& operator=(const SJPlaybackHistoryController&) = delete;

    // The stored record of a media, or a null pointer when there is none.
    SQLite::Result<std::shared_ptr<SJPlaybackRecord>> recordForMedia(std::int64_t mediaId, std::int64_t user,
                                                                     SJMediaType mediaType);
    // Inserts the record, or writes it over the stored one of the same media, user and
    // type, and sets its "updatedTime" to the time of saving. Each save gets a later
    // time than every save before it, so the newest save sorts first even when two
    // fall within one tick of the clock. A position that is not a finite number in the
    // range of a 64-bit integer is stored as 0.
    SQLite::Status save(SJPlaybackRecord& record);
    // The records that meet every condition (all records without conditions), in the
    // given orders.
    SQLite::Result<std::vector<std::shared_ptr<SJPlaybackRecord>>>
    recordsForConditions(const std::vector<SJSQLite3Condition>& conditions,
                         const std::vector<SJSQLite3ColumnOrder>& orders);
    // Deletes every record that meets all conditions (every record without conditions).
    SQLite::Status removeForConditions(const std::vector<SJSQLite3Condition>& conditions);
    // Deletes every record of `user` and `mediaType`.
    SQLite::Status removeAllRecordsForUser(std::int64_t user, SJMediaType mediaType);

  private:
    SQLite::Result<SQLite::Connection*> connection();
    SQLite::Status createSchema(SQLite::Connection& connection);

    std::filesystem::path path_;
    std::unique_ptr<SQLite::Connection> connection_;
    double lastUpdatedTime_ = 0;
};
