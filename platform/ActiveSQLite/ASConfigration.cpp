#include "platform/ActiveSQLite/ASConfigration.h"

#include <sqlite3.h>

#include <memory>

namespace {

std::unique_ptr<ASDatabase>& defaultDatabase() {
    static std::unique_ptr<ASDatabase> database;
    return database;
}

} // namespace

SQLite::Status ASConfigration::setDefaultDB(const std::filesystem::path& path, const std::string& name) {
    defaultDatabase().reset();
    auto connection = SQLite::Connection::open(path);
    if (!connection) {
        return connection.error();
    }
    defaultDatabase() = std::make_unique<ASDatabase>(std::move(*connection), name);
    return {};
}

void ASConfigration::closeDefaultDB() {
    defaultDatabase().reset();
}

SQLite::Result<ASDatabase*> ASConfigration::defaultDB() {
    if (!defaultDatabase()) {
        return SQLite::Error{SQLITE_CANTOPEN, "no default database is open"};
    }
    return defaultDatabase().get();
}
