#pragma once

#include "platform/ActiveSQLite/ASDatabase.h"
#include "platform/ActiveSQLite/SQLiteResult.h"

#include <filesystem>
#include <string>

// Where record types live: the default database, opened once by the application.
// Used from the main thread only.
class ASConfigration {
  public:
    // Opens the database file at `path` under `name` and makes it the default database of
    // every record type, closing the one opened before. On failure there is no default
    // database until a later call succeeds, and record operations fail.
    static SQLite::Status setDefaultDB(const std::filesystem::path& path, const std::string& name);
    // Closes the default database (its statements are finished and its log checkpointed).
    static void closeDefaultDB();
    // The default database; an error when none is open.
    static SQLite::Result<ASDatabase*> defaultDB();
};
