#pragma once

#include "platform/ActiveSQLite/SQLiteResult.h"
#include "platform/ActiveSQLite/SQLiteValue.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace SQLite {

class Connection;

// A prepared statement borrowed from its connection's cache. Values are always bound,
// never spliced into the SQL text. When the statement goes out of scope it is reset and
// handed back to the cache, so the same SQL is compiled once per connection.
class Statement {
  public:
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;
    ~Statement();

    // Binds `value` to the parameter at `position` (1 for the first).
    Status bind(int position, const Value& value);
    // Binds `values` to the first parameters, in order.
    Status bindAll(const std::vector<Value>& values);

    // Steps once: true when a row is available, false when the statement is done.
    Result<bool> step();
    // Steps until the statement is done (statements that return no rows).
    Status run();

    int columnCount() const;
    bool isNull(int column) const;
    std::int64_t integer(int column) const;
    double real(int column) const;
    std::string text(int column) const;
    Value value(int column) const;

  private:
    friend class Connection;
    Statement(Connection& connection, std::string sql, sqlite3_stmt* handle);

    Connection* connection_;
    std::string sql_;
    sqlite3_stmt* handle_;
};

// One open database file: write-ahead logging, full synchronisation (a write that
// returned success survives a crash of the process or of the machine), extended result
// codes and a cache of prepared statements. Used from one thread at a time.
class Connection {
  public:
    // Opens the database at `path`, creating it for its owner alone when missing. Fails when the file cannot
    // be opened or is not a database. A file that may only be read opens read-only:
    // reads work and every write reports SQLITE_READONLY.
    static Result<std::unique_ptr<Connection>> open(const std::filesystem::path& path);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Result<Statement> prepare(std::string_view sql);
    // Runs SQL that binds no values (schema statements, pragmas).
    Status execute(std::string_view sql);
    // Runs `body` inside one write transaction: committed when `body` succeeds, rolled
    // back (and its error answered) when it fails or the commit fails. Inside another
    // transaction `body` simply joins it.
    Status transaction(const std::function<Status()>& body);

    // Rows changed by the last INSERT, UPDATE or DELETE.
    std::int64_t changes() const;
    bool isReadOnly() const;
    const std::filesystem::path& path() const { return path_; }

    // The error SQLite reports for its last failed call on this connection.
    Error lastError() const;

    // Quotes an identifier (table or column name) for SQL text: "name", with inner
    // double quotes doubled.
    static std::string quote(std::string_view identifier);

  private:
    Connection(sqlite3* handle, std::filesystem::path path);
    friend class Statement;
    void giveBack(std::string sql, sqlite3_stmt* handle);

    sqlite3* handle_;
    std::filesystem::path path_;
    std::unordered_map<std::string, sqlite3_stmt*> cache_;
};

} // namespace SQLite
