#include "platform/SJMediaCacheServer/MetadataDatabase.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace mcs {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS asset (
  folder TEXT PRIMARY KEY,
  url TEXT NOT NULL,
  playlist INTEGER NOT NULL,
  last_access REAL NOT NULL);
CREATE TABLE IF NOT EXISTS resource (
  folder TEXT NOT NULL REFERENCES asset(folder) ON DELETE CASCADE,
  rid TEXT NOT NULL,
  url TEXT NOT NULL,
  effective_url TEXT NOT NULL DEFAULT '',
  ext TEXT NOT NULL,
  total INTEGER,
  content_type TEXT NOT NULL DEFAULT '',
  etag TEXT NOT NULL DEFAULT '',
  ranges TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (folder, rid));
CREATE TABLE IF NOT EXISTS MCSAssetExporter (
  URLString TEXT PRIMARY KEY,
  name TEXT NOT NULL,
  status INTEGER NOT NULL,
  progress REAL NOT NULL DEFAULT 0,
  headers TEXT NOT NULL DEFAULT '');
)sql";

// Databases made before exports kept their request headers lack that column.
constexpr const char* kAddHeaders =
    "ALTER TABLE MCSAssetExporter ADD COLUMN headers TEXT NOT NULL DEFAULT ''";

// A prepared statement that finalises itself.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr); }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool valid() const { return statement_ != nullptr; }
    void bind(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    }
    void bind(int index, double value) { sqlite3_bind_double(statement_, index, value); }
    void bind(int index, std::int64_t value) { sqlite3_bind_int64(statement_, index, value); }
    void bindNull(int index) { sqlite3_bind_null(statement_, index); }
    bool step() { return sqlite3_step(statement_) == SQLITE_ROW; }
    // Runs a statement that answers no rows; false when it failed.
    bool run() { return sqlite3_step(statement_) == SQLITE_DONE; }
    void reset() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    std::string text(int column) const {
        const auto* value = sqlite3_column_text(statement_, column);
        return value != nullptr ? std::string(reinterpret_cast<const char*>(value)) : std::string();
    }
    double real(int column) const { return sqlite3_column_double(statement_, column); }
    std::int64_t integer(int column) const { return sqlite3_column_int64(statement_, column); }
    bool isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }

  private:
    sqlite3_stmt* statement_ = nullptr;
};

// Every row a query returns, each made by readRow from the statement on that row; none
// when the database is not open.
template <typename Row, typename ReadRow>
std::vector<Row> selectRows(sqlite3* db, const char* sql, ReadRow readRow) {
    std::vector<Row> rows;
    if (db == nullptr) {
        return rows;
    }
    Statement query(db, sql);
    while (query.valid() && query.step()) {
        rows.push_back(readRow(query));
    }
    return rows;
}

// Runs a statement whose one parameter is key; nothing when the database is not open.
void executeWithKey(sqlite3* db, const char* sql, const std::string& key) {
    if (db == nullptr) {
        return;
    }
    Statement statement(db, sql);
    statement.bind(1, key);
    statement.step();
}

} // namespace

MetadataDatabase::MetadataDatabase(const std::filesystem::path& file) {
    if (sqlite3_open_v2(file.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        sqlite3_close(db_);
        db_ = nullptr;
        return;
    }
    ::chmod(file.c_str(), 0600);
    sqlite3_busy_timeout(db_, 5000);
    execute("PRAGMA journal_mode=WAL");
    execute("PRAGMA synchronous=NORMAL");
    execute("PRAGMA foreign_keys=ON");
    if (!execute(kSchema) || (!hasColumn("MCSAssetExporter", "headers") && !execute(kAddHeaders))) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

bool MetadataDatabase::hasColumn(const char* table, const char* column) {
    const auto sql = std::string("PRAGMA table_info(") + table + ")";
    Statement query(db_, sql.c_str());
    while (query.valid() && query.step()) {
        if (query.text(1) == column) {
            return true;
        }
    }
    return false;
}

MetadataDatabase::~MetadataDatabase() {
    if (db_ != nullptr) {
        sqlite3_close(db_);
    }
}

bool MetadataDatabase::execute(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::vector<AssetRow> MetadataDatabase::assets() {
    std::lock_guard lock(mutex_);
    return selectRows<AssetRow>(
        db_, "SELECT folder, url, playlist, last_access FROM asset", [](const Statement& query) {
            return AssetRow{query.text(0), query.text(1), query.integer(2) != 0, query.real(3)};
        });
}

std::vector<ResourceRow> MetadataDatabase::resources() {
    std::lock_guard lock(mutex_);
    const char* sql =
        "SELECT folder, rid, url, effective_url, ext, total, content_type, etag, ranges FROM resource";
    return selectRows<ResourceRow>(db_, sql, [](const Statement& query) {
        ResourceRow row;
        row.folder = query.text(0);
        row.rid = query.text(1);
        row.url = query.text(2);
        row.effectiveUrl = query.text(3);
        row.extension = query.text(4);
        if (!query.isNull(5)) {
            row.total = static_cast<std::uint64_t>(query.integer(5));
        }
        row.contentType = query.text(6);
        row.etag = query.text(7);
        row.ranges = query.text(8);
        return row;
    });
}

std::vector<ExporterRow> MetadataDatabase::exporters() {
    std::lock_guard lock(mutex_);
    return selectRows<ExporterRow>(
        db_, "SELECT URLString, name, status, progress, headers FROM MCSAssetExporter",
        [](const Statement& query) {
            return ExporterRow{query.text(0), query.text(1), static_cast<int>(query.integer(2)),
                               query.real(3), query.text(4)};
        });
}

void MetadataDatabase::saveAsset(const AssetRow& row) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return;
    }
    Statement statement(
        db_,
        "INSERT INTO asset (folder, url, playlist, last_access) VALUES (?, ?, ?, ?) "
        "ON CONFLICT(folder) DO UPDATE SET playlist = excluded.playlist, last_access = excluded.last_access");
    statement.bind(1, row.folder);
    statement.bind(2, row.url);
    statement.bind(3, static_cast<std::int64_t>(row.playlist ? 1 : 0));
    statement.bind(4, row.lastAccess);
    statement.step();
}

void MetadataDatabase::touchAssets(const std::vector<std::pair<std::string, double>>& accesses) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr || accesses.empty()) {
        return;
    }
    execute("BEGIN");
    Statement statement(db_, "UPDATE asset SET last_access = ? WHERE folder = ?");
    for (const auto& [folder, time] : accesses) {
        statement.bind(1, time);
        statement.bind(2, folder);
        statement.step();
        statement.reset();
    }
    execute("COMMIT");
}

void MetadataDatabase::deleteAsset(const std::string& folder) {
    std::lock_guard lock(mutex_);
    executeWithKey(db_, "DELETE FROM resource WHERE folder = ?", folder);
    executeWithKey(db_, "DELETE FROM asset WHERE folder = ?", folder);
}

void MetadataDatabase::deleteResources(const std::string& folder) {
    std::lock_guard lock(mutex_);
    executeWithKey(db_, "DELETE FROM resource WHERE folder = ?", folder);
}

bool MetadataDatabase::saveResources(const std::vector<ResourceRow>& rows) {
    std::lock_guard lock(mutex_);
    if (rows.empty()) {
        return true;
    }
    if (db_ == nullptr || !execute("BEGIN")) {
        return false;
    }
    Statement statement(
        db_, "INSERT INTO resource (folder, rid, url, effective_url, ext, total, content_type, etag, ranges) "
             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT(folder, rid) DO UPDATE SET "
             "effective_url = excluded.effective_url, total = excluded.total, "
             "content_type = excluded.content_type, etag = excluded.etag, ranges = excluded.ranges");
    bool written = statement.valid();
    for (const auto& row : rows) {
        statement.bind(1, row.folder);
        statement.bind(2, row.rid);
        statement.bind(3, row.url);
        statement.bind(4, row.effectiveUrl);
        statement.bind(5, row.extension);
        if (row.total) {
            statement.bind(6, static_cast<std::int64_t>(*row.total));
        } else {
            statement.bindNull(6);
        }
        statement.bind(7, row.contentType);
        statement.bind(8, row.etag);
        statement.bind(9, row.ranges);
        written = statement.run() && written;
        statement.reset();
    }
    if (!written || !execute("COMMIT")) {
        execute("ROLLBACK");
        return false;
    }
    return true;
}

void MetadataDatabase::saveExporter(const ExporterRow& row) {
    std::lock_guard lock(mutex_);
    if (db_ == nullptr) {
        return;
    }
    Statement statement(db_,
                        "INSERT INTO MCSAssetExporter (URLString, name, status, progress, headers) "
                        "VALUES (?, ?, ?, ?, ?) ON CONFLICT(URLString) DO UPDATE SET name = excluded.name, "
                        "status = excluded.status, progress = excluded.progress, headers = excluded.headers");
    statement.bind(1, row.urlString);
    statement.bind(2, row.name);
    statement.bind(3, static_cast<std::int64_t>(row.status));
    statement.bind(4, row.progress);
    statement.bind(5, row.headers);
    statement.step();
}

void MetadataDatabase::deleteExporter(const std::string& urlString) {
    std::lock_guard lock(mutex_);
    executeWithKey(db_, "DELETE FROM MCSAssetExporter WHERE URLString = ?", urlString);
}

} // namespace mcs
