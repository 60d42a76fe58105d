#include "platform/ActiveSQLite/SQLiteConnection.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace SQLite {

namespace {

Error errorOf(sqlite3* db, int code) {
    const char* message =
        db != nullptr && sqlite3_extended_errcode(db) == code ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    return Error{code, message != nullptr ? message : "unknown error"};
}

// How long a statement waits for another connection's lock before it fails.
constexpr int busyTimeoutMilliseconds = 5000;

// Creates a missing database file for its owner alone, whatever the umask: SQLite would
// make it readable by all, and gives its journals the database's own mode.
void createPrivately(const std::filesystem::path& path) {
    if (path.empty() || path == ":memory:") {
        return;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
}

} // namespace

// MARK: - Statement

Statement::Statement(Connection& connection, std::string sql, sqlite3_stmt* handle)
    : connection_(&connection), sql_(std::move(sql)), handle_(handle) {}

Statement::Statement(Statement&& other) noexcept
    : connection_(other.connection_), sql_(std::move(other.sql_)),
      handle_(std::exchange(other.handle_, nullptr)) {}

Statement::~Statement() {
    if (handle_ != nullptr) {
        sqlite3_reset(handle_);
        sqlite3_clear_bindings(handle_);
        connection_->giveBack(std::move(sql_), handle_);
    }
}

Status Statement::bind(int position, const Value& value) {
    int code = SQLITE_OK;
    std::visit(
        [&](const auto& stored) {
            using T = std::decay_t<decltype(stored)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                code = sqlite3_bind_null(handle_, position);
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                code = sqlite3_bind_int64(handle_, position, stored);
            } else if constexpr (std::is_same_v<T, double>) {
                code = sqlite3_bind_double(handle_, position, stored);
            } else {
                code = sqlite3_bind_text64(handle_, position, stored.data(), stored.size(), SQLITE_TRANSIENT,
                                           SQLITE_UTF8);
            }
        },
        value.storage());
    if (code != SQLITE_OK) {
        return errorOf(connection_->handle_, code);
    }
    return {};
}

Status Statement::bindAll(const std::vector<Value>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (auto status = bind(static_cast<int>(i) + 1, values[i]); !status) {
            return status;
        }
    }
    return {};
}

Result<bool> Statement::step() {
    const int code = sqlite3_step(handle_);
    if (code == SQLITE_ROW) {
        return true;
    }
    if (code == SQLITE_DONE) {
        return false;
    }
    Error error = errorOf(connection_->handle_, code);
    sqlite3_reset(handle_);
    return error;
}

Status Statement::run() {
    while (true) {
        auto row = step();
        if (!row) {
            return row.error();
        }
        if (!*row) {
            return {};
        }
    }
}

int Statement::columnCount() const {
    return sqlite3_column_count(handle_);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(handle_, column) == SQLITE_NULL;
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(handle_, column);
}

double Statement::real(int column) const {
    return sqlite3_column_double(handle_, column);
}

std::string Statement::text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(handle_, column));
    const int length = sqlite3_column_bytes(handle_, column);
    return bytes != nullptr ? std::string(bytes, static_cast<std::size_t>(length)) : std::string();
}

Value Statement::value(int column) const {
    switch (sqlite3_column_type(handle_, column)) {
    case SQLITE_NULL:
        return Value();
    case SQLITE_INTEGER:
        return Value(integer(column));
    case SQLITE_FLOAT:
        return Value(real(column));
    default:
        return Value(text(column));
    }
}

// MARK: - Connection

Connection::Connection(sqlite3* handle, std::filesystem::path path)
    : handle_(handle), path_(std::move(path)) {}

Connection::~Connection() {
    for (auto& [sql, statement] : cache_) {
        sqlite3_finalize(statement);
    }
    sqlite3_close_v2(handle_);
}

Result<std::unique_ptr<Connection>> Connection::open(const std::filesystem::path& path) {
    createPrivately(path);
    sqlite3* handle = nullptr;
    const int code =
        sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (code != SQLITE_OK) {
        Error error = errorOf(handle, code);
        sqlite3_close_v2(handle);
        return error;
    }
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, busyTimeoutMilliseconds);
    std::unique_ptr<Connection> connection(new Connection(handle, path));

    // Reading the journal mode touches the file: a file that is not a database fails here.
    if (connection->isReadOnly()) {
        if (auto status = connection->execute("PRAGMA schema_version"); !status) {
            return status.error();
        }
    } else {
        if (auto status = connection->execute("PRAGMA journal_mode=WAL"); !status) {
            return status.error();
        }
    }
    if (auto status = connection->execute("PRAGMA synchronous=FULL"); !status) {
        return status.error();
    }
    return connection;
}

Result<Statement> Connection::prepare(std::string_view sql) {
    std::string text(sql);
    if (auto cached = cache_.find(text); cached != cache_.end()) {
        sqlite3_stmt* handle = cached->second;
        cache_.erase(cached);
        return Statement(*this, std::move(text), handle);
    }
    sqlite3_stmt* handle = nullptr;
    const int code = sqlite3_prepare_v3(handle_, text.data(), static_cast<int>(text.size()),
                                        SQLITE_PREPARE_PERSISTENT, &handle, nullptr);
    if (code != SQLITE_OK) {
        return errorOf(handle_, code);
    }
    if (handle == nullptr) {
        return Error{SQLITE_MISUSE, "empty SQL statement"};
    }
    return Statement(*this, std::move(text), handle);
}

void Connection::giveBack(std::string sql, sqlite3_stmt* handle) {
    auto [slot, inserted] = cache_.emplace(std::move(sql), handle);
    if (!inserted) {
        sqlite3_finalize(handle); // the same SQL was in use twice at once; keep one copy
    }
}

Status Connection::execute(std::string_view sql) {
    auto statement = prepare(sql);
    if (!statement) {
        return statement.error();
    }
    return statement->run();
}

Status Connection::transaction(const std::function<Status()>& body) {
    if (sqlite3_get_autocommit(handle_) == 0) {
        return body();
    }
    if (auto begun = execute("BEGIN IMMEDIATE"); !begun) {
        return begun;
    }
    Status outcome = body();
    if (outcome) {
        outcome = execute("COMMIT");
    }
    // SQLite may already have rolled back by itself (after SQLITE_FULL, for example).
    if (!outcome && sqlite3_get_autocommit(handle_) == 0) {
        (void)execute("ROLLBACK");
    }
    return outcome;
}

std::int64_t Connection::changes() const {
    return sqlite3_changes64(handle_);
}

bool Connection::isReadOnly() const {
    return sqlite3_db_readonly(handle_, "main") == 1;
}

Error Connection::lastError() const {
    return errorOf(handle_, sqlite3_extended_errcode(handle_));
}

std::string Connection::quote(std::string_view identifier) {
    std::string quoted = "\"";
    for (char c : identifier) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    quoted += '"';
    return quoted;
}

} // namespace SQLite
