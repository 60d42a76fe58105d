#include "platform/SJBaseVideoPlayer/History/SJPlaybackHistoryController.h"

#include "platform/Foundation/Paths.h"
#include "platform/Foundation/RunLoop.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace {

using SQLite::Connection;

constexpr std::string_view tableName = "SJPlaybackRecord";
constexpr int schemaVersion = 1;

// The record's columns, in the order every query reads them.
constexpr std::array<std::string_view, 11> columns = {
    "mediaId", "mediaType", "userId", "position", "updatedTime", "vodId",
    "title",   "cover",     "index",  "episode",  "duration",
};

// The smallest step between the update times of two saves: well above the resolution
// of a double near the present time in seconds.
constexpr double updatedTimeStep = 1e-6;

bool isColumn(std::string_view name) {
    return std::find(columns.begin(), columns.end(), name) != columns.end();
}

SQLite::Error unknownColumn(const std::string& name) {
    return SQLite::Error{SQLITE_ERROR, "no such column in the playback history: " + name};
}

std::string selectAll() {
    std::string sql = "SELECT ";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        sql += (i == 0 ? "" : ", ") + Connection::quote(columns[i]);
    }
    return sql + " FROM " + Connection::quote(tableName);
}

// The WHERE clause of `conditions` ("" without conditions), its values appended to
// `bindings`.
SQLite::Result<std::string> whereClause(const std::vector<SJSQLite3Condition>& conditions,
                                        std::vector<SQLite::Value>& bindings) {
    std::string sql;
    for (const auto& condition : conditions) {
        if (!isColumn(condition.column())) {
            return unknownColumn(condition.column());
        }
        sql += sql.empty() ? " WHERE " : " AND ";
        if (condition.value()) {
            sql += Connection::quote(condition.column()) + " = ?";
            bindings.emplace_back(*condition.value());
        } else {
            sql += Connection::quote(condition.column()) + " IS NULL";
        }
    }
    return sql;
}

std::optional<std::string> optionalText(const SQLite::Statement& row, int column) {
    return row.isNull(column) ? std::nullopt : std::optional<std::string>(row.text(column));
}

std::shared_ptr<SJPlaybackRecord> readRecord(const SQLite::Statement& row) {
    auto record = std::make_shared<SJPlaybackRecord>();
    record->mediaId = row.integer(0);
    record->mediaType = static_cast<SJMediaType>(row.integer(1));
    record->userId = row.integer(2);
    record->position = row.real(3);
    record->updatedTime = row.real(4);
    record->vodId = optionalText(row, 5);
    record->title = optionalText(row, 6);
    record->cover = optionalText(row, 7);
    record->index = optionalText(row, 8);
    record->episode = optionalText(row, 9);
    record->duration = optionalText(row, 10);
    return record;
}

double storablePosition(double position) {
    constexpr double limit = 9.2e18; // just inside the range of a 64-bit integer
    return std::isfinite(position) && std::fabs(position) < limit ? position : 0.0;
}

} // namespace

SJPlaybackHistoryController& SJPlaybackHistoryController::shared() {
    static SJPlaybackHistoryController controller(Paths::library() / "SJPlaybackHistory" /
                                                  "playback-history.db");
    return controller;
}

SJPlaybackHistoryController::SJPlaybackHistoryController(std::filesystem::path databasePath)
    : path_(std::move(databasePath)) {}

SQLite::Result<SQLite::Connection*> SJPlaybackHistoryController::connection() {
    if (connection_) {
        return connection_.get();
    }
    Paths::createPrivateFolder(path_.parent_path());
    auto opened = Connection::open(path_);
    if (!opened) {
        return opened.error();
    }
    if (auto status = createSchema(**opened); !status) {
        return status.error();
    }
    auto latest = (*opened)->prepare("SELECT max(" + Connection::quote("updatedTime") + ") FROM " +
                                     Connection::quote(tableName));
    if (!latest) {
        return latest.error();
    }
    auto row = latest->step();
    if (!row) {
        return row.error();
    }
    lastUpdatedTime_ = *row && !latest->isNull(0) ? latest->real(0) : 0.0;
    connection_ = std::move(*opened);
    return connection_.get();
}

SQLite::Status SJPlaybackHistoryController::createSchema(SQLite::Connection& connection) {
    auto version = connection.prepare("PRAGMA user_version");
    if (!version) {
        return version.error();
    }
    auto row = version->step();
    if (!row) {
        return row.error();
    }
    if (*row && version->integer(0) == schemaVersion) {
        return {}; // nothing to write, so a store that may only be read still serves lookups
    }
    return connection.transaction([&]() -> SQLite::Status {
        const std::string table = Connection::quote(tableName);
        const std::string statements[] = {
            "CREATE TABLE IF NOT EXISTS " + table +
                " (\"id\" INTEGER PRIMARY KEY AUTOINCREMENT, \"mediaId\" INTEGER NOT NULL, \"mediaType\" "
                "INTEGER NOT NULL,"
                " \"userId\" INTEGER NOT NULL, \"position\" REAL NOT NULL, \"updatedTime\" REAL NOT NULL,"
                " \"vodId\" TEXT, \"title\" TEXT, \"cover\" TEXT, \"index\" TEXT, \"episode\" TEXT, "
                "\"duration\" TEXT,"
                " UNIQUE (\"mediaId\", \"userId\", \"mediaType\"))",
            "CREATE INDEX IF NOT EXISTS \"SJPlaybackRecord_by_updatedTime\" ON " + table +
                " (\"updatedTime\")",
            "CREATE INDEX IF NOT EXISTS \"SJPlaybackRecord_by_vodId\" ON " + table + " (\"vodId\")",
            "PRAGMA user_version = " + std::to_string(schemaVersion),
        };
        for (const auto& sql : statements) {
            if (auto status = connection.execute(sql); !status) {
                return status;
            }
        }
        return {};
    });
}

SQLite::Result<std::shared_ptr<SJPlaybackRecord>>
SJPlaybackHistoryController::recordForMedia(std::int64_t mediaId, std::int64_t user, SJMediaType mediaType) {
    auto found = recordsForConditions(
        {
            SJSQLite3Condition::conditionWithColumn("mediaId", std::to_string(mediaId)),
            SJSQLite3Condition::conditionWithColumn("userId", std::to_string(user)),
            SJSQLite3Condition::conditionWithColumn("mediaType",
                                                    std::to_string(static_cast<std::int64_t>(mediaType))),
        },
        {});
    if (!found) {
        return found.error();
    }
    return found->empty() ? std::shared_ptr<SJPlaybackRecord>() : found->front();
}

SQLite::Status SJPlaybackHistoryController::save(SJPlaybackRecord& record) {
    auto database = connection();
    if (!database) {
        return database.error();
    }
    const double updatedTime = std::max(Date::timeIntervalSince1970(), lastUpdatedTime_ + updatedTimeStep);
    const double position = storablePosition(record.position);
    static const std::string sql = [] {
        std::string text = "INSERT INTO " + Connection::quote(tableName) + " (";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            text += (i == 0 ? "" : ", ") + Connection::quote(columns[i]);
        }
        text += ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (\"mediaId\", \"userId\", "
                "\"mediaType\") DO UPDATE SET ";
        for (std::size_t i = 3; i < columns.size(); ++i) {
            const std::string column = Connection::quote(columns[i]);
            text += (i == 3 ? "" : ", ") + column + " = excluded." + column;
        }
        return text;
    }();
    auto status = (*database)->transaction([&]() -> SQLite::Status {
        auto statement = (*database)->prepare(sql);
        if (!statement) {
            return statement.error();
        }
        if (auto bound = statement->bindAll({
                record.mediaId,
                static_cast<std::int64_t>(record.mediaType),
                record.userId,
                position,
                updatedTime,
                record.vodId,
                record.title,
                record.cover,
                record.index,
                record.episode,
                record.duration,
            });
            !bound) {
            return bound;
        }
        return statement->run();
    });
    if (!status) {
        return status;
    }
    lastUpdatedTime_ = updatedTime;
    record.position = position;
    record.updatedTime = updatedTime;
    return {};
}

SQLite::Result<std::vector<std::shared_ptr<SJPlaybackRecord>>>
SJPlaybackHistoryController::recordsForConditions(const std::vector<SJSQLite3Condition>& conditions,
                                                  const std::vector<SJSQLite3ColumnOrder>& orders) {
    std::vector<SQLite::Value> bindings;
    auto where = whereClause(conditions, bindings);
    if (!where) {
        return where.error();
    }
    std::string sql = selectAll() + *where + " ORDER BY ";
    for (const auto& order : orders) {
        if (!isColumn(order.column())) {
            return unknownColumn(order.column());
        }
        sql += Connection::quote(order.column()) + (order.ascending() ? " ASC, " : " DESC, ");
    }
    sql += "\"id\"";

    auto database = connection();
    if (!database) {
        return database.error();
    }
    auto statement = (*database)->prepare(sql);
    if (!statement) {
        return statement.error();
    }
    if (auto bound = statement->bindAll(bindings); !bound) {
        return bound.error();
    }
    std::vector<std::shared_ptr<SJPlaybackRecord>> records;
    while (true) {
        auto row = statement->step();
        if (!row) {
            return row.error();
        }
        if (!*row) {
            return records;
        }
        records.push_back(readRecord(*statement));
    }
}

SQLite::Status
SJPlaybackHistoryController::removeForConditions(const std::vector<SJSQLite3Condition>& conditions) {
    std::vector<SQLite::Value> bindings;
    auto where = whereClause(conditions, bindings);
    if (!where) {
        return where.error();
    }
    auto database = connection();
    if (!database) {
        return database.error();
    }
    const std::string sql = "DELETE FROM " + Connection::quote(tableName) + *where;
    return (*database)->transaction([&]() -> SQLite::Status {
        auto statement = (*database)->prepare(sql);
        if (!statement) {
            return statement.error();
        }
        if (auto bound = statement->bindAll(bindings); !bound) {
            return bound;
        }
        return statement->run();
    });
}

SQLite::Status SJPlaybackHistoryController::removeAllRecordsForUser(std::int64_t user,
                                                                    SJMediaType mediaType) {
    return removeForConditions({
        SJSQLite3Condition::conditionWithColumn("userId", std::to_string(user)),
        SJSQLite3Condition::conditionWithColumn("mediaType",
                                                std::to_string(static_cast<std::int64_t>(mediaType))),
    });
}
