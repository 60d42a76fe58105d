#pragma once

#include "platform/ActiveSQLite/ASQuery.h"
#include "platform/ActiveSQLite/ASTable.h"
#include "platform/ActiveSQLite/SQLiteConnection.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// A database of record tables. Creates each table (with its indexes) on first use and
// adds the columns a newer record type declares to a table written by an older one.
// Every write runs in its own transaction; every failure is answered to the caller.
//
// Query results list the columns "id", "created_at", "updated_at", then the declared
// columns in order (ASDatabase::firstDeclaredColumn is the position of the first).
class ASDatabase {
  public:
    static constexpr int firstDeclaredColumn = 3;

    ASDatabase(std::unique_ptr<SQLite::Connection> connection, std::string name);

    const std::string& name() const { return name_; }
    SQLite::Connection& connection() { return *connection_; }

    // Matching rows in the given order, then in the order they were first stored.
    SQLite::Result<SQLite::Statement> select(const ASTableInfo& table, const ASAttributes& attributes,
                                             const ASOrders& orders, std::optional<int> limit);
    SQLite::Result<SQLite::Statement> select(const ASTableInfo& table, const ASExpression& filter,
                                             const ASOrders& orders, std::optional<int> limit);

    struct Stored {
        std::int64_t id = 0;
        std::int64_t createdAt = 0;
    };
    // Adds a row with `values` (one per declared column). With a unique key, a row that
    // has the same key is written back instead; its identifier is answered.
    SQLite::Result<Stored> insert(const ASTableInfo& table, const std::vector<SQLite::Value>& values,
                                  std::int64_t now);
    // Writes the declared columns at `changed` back to the row `id`. Fails with
    // SQLITE_NOTFOUND when the row no longer exists (nothing is written then).
    SQLite::Status update(const ASTableInfo& table, std::int64_t id, const std::vector<std::size_t>& changed,
                          const std::vector<SQLite::Value>& values, std::int64_t now);
    // Removes the row `id` (nothing to do when it is already gone).
    SQLite::Status remove(const ASTableInfo& table, std::int64_t id);

  private:
    struct PreparedTable {
        std::string selectPrefix; // SELECT <all columns> FROM <table>
    };
    SQLite::Result<const PreparedTable*> prepareTable(const ASTableInfo& table);
    SQLite::Result<bool> schemaIsComplete(const ASTableInfo& table);
    SQLite::Status createOrMigrate(const ASTableInfo& table);
    SQLite::Result<SQLite::Statement> select(const ASTableInfo& table, const std::string& where,
                                             const std::vector<SQLite::Value>& bindings,
                                             const ASOrders& orders, std::optional<int> limit);

    std::unique_ptr<SQLite::Connection> connection_;
    std::string name_;
    std::unordered_map<const ASTableInfo*, PreparedTable> prepared_;
};
