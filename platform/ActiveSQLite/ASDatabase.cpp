#include "platform/ActiveSQLite/ASDatabase.h"

#include <sqlite3.h>

#include <algorithm>
#include <set>

namespace {

using SQLite::Connection;

const char* sqlType(ASColumnType type) {
    switch (type) {
    case ASColumnType::text:
        return "TEXT";
    case ASColumnType::real:
        return "REAL";
    case ASColumnType::integer:
        return "INTEGER";
    }
    return "TEXT";
}

std::string joinQuoted(const std::vector<std::string>& names) {
    std::string joined;
    for (const auto& name : names) {
        if (!joined.empty()) {
            joined += ", ";
        }
        joined += Connection::quote(name);
    }
    return joined;
}

std::string indexName(const ASTableInfo& table, const std::vector<std::string>& columns, bool unique) {
    std::string name = table.name + (unique ? "_unique" : "_by");
    for (const auto& column : columns) {
        name += "_" + column;
    }
    return name;
}

// The names of the columns the table has in the database (none when it does not exist).
SQLite::Result<std::set<std::string>> columnNames(Connection& connection, const std::string& table) {
    auto columns = connection.prepare("SELECT name FROM pragma_table_info(?1)");
    if (!columns) {
        return columns.error();
    }
    if (auto bound = columns->bind(1, table); !bound) {
        return bound.error();
    }
    std::set<std::string> names;
    while (true) {
        auto row = columns->step();
        if (!row) {
            return row.error();
        }
        if (!*row) {
            return names;
        }
        names.insert(columns->text(0));
    }
}

SQLite::Error unknownColumn(const ASTableInfo& table, const std::string& column) {
    return SQLite::Error{SQLITE_ERROR, "no such column: " + column + " in table " + table.name};
}

} // namespace

int ASTableInfo::indexOfColumn(std::string_view column) const {
    auto found = std::find(columns.begin(), columns.end(), column);
    return found == columns.end() ? -1 : static_cast<int>(found - columns.begin());
}

bool ASTableInfo::hasColumn(std::string_view column) const {
    return column == ASIdColumn || column == ASCreatedAtColumn || column == ASUpdatedAtColumn ||
           indexOfColumn(column) >= 0;
}

ASDatabase::ASDatabase(std::unique_ptr<SQLite::Connection> connection, std::string name)
    : connection_(std::move(connection)), name_(std::move(name)) {}

// MARK: - Schema

SQLite::Result<const ASDatabase::PreparedTable*> ASDatabase::prepareTable(const ASTableInfo& table) {
    if (auto found = prepared_.find(&table); found != prepared_.end()) {
        return &found->second;
    }
    // A complete schema needs no write, so a database that may only be read still serves
    // lookups.
    auto complete = schemaIsComplete(table);
    if (!complete) {
        return complete.error();
    }
    if (!*complete) {
        if (auto status = createOrMigrate(table); !status) {
            return status.error();
        }
    }
    std::vector<std::string> all = {std::string(ASIdColumn), std::string(ASCreatedAtColumn),
                                    std::string(ASUpdatedAtColumn)};
    all.insert(all.end(), table.columns.begin(), table.columns.end());
    PreparedTable prepared{"SELECT " + joinQuoted(all) + " FROM " + Connection::quote(table.name)};
    return &prepared_.emplace(&table, std::move(prepared)).first->second;
}

SQLite::Result<bool> ASDatabase::schemaIsComplete(const ASTableInfo& table) {
    auto present = columnNames(*connection_, table.name);
    if (!present) {
        return present.error();
    }
    for (const auto& column : table.columns) {
        if (!present->contains(column)) {
            return false;
        }
    }
    std::vector<std::string> indexNames;
    for (const auto& index : table.indexes) {
        indexNames.push_back(indexName(table, index, false));
    }
    if (!table.uniqueKey.empty()) {
        indexNames.push_back(indexName(table, table.uniqueKey, true));
    }
    for (const auto& name : indexNames) {
        auto index = connection_->prepare("SELECT 1 FROM sqlite_schema WHERE type = ?1 AND name = ?2");
        if (!index) {
            return index.error();
        }
        if (auto bound = index->bindAll({"index", name}); !bound) {
            return bound.error();
        }
        auto row = index->step();
        if (!row) {
            return row.error();
        }
        if (!*row) {
            return false;
        }
    }
    return true;
}

SQLite::Status ASDatabase::createOrMigrate(const ASTableInfo& table) {
    return connection_->transaction([&]() -> SQLite::Status {
        const std::string quotedTable = Connection::quote(table.name);
        std::string create = "CREATE TABLE IF NOT EXISTS " + quotedTable + " (" +
                             Connection::quote(ASIdColumn) + " INTEGER PRIMARY KEY AUTOINCREMENT, " +
                             Connection::quote(ASCreatedAtColumn) + " INTEGER, " +
                             Connection::quote(ASUpdatedAtColumn) + " INTEGER";
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            create += ", " + Connection::quote(table.columns[i]) + " " + sqlType(table.types[i]);
        }
        create += ")";
        if (auto status = connection_->execute(create); !status) {
            return status;
        }

        // Columns that a newer record type declares: added, and filled with their default
        // in the rows already stored.
        auto present = columnNames(*connection_, table.name);
        if (!present) {
            return present.error();
        }
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            if (present->contains(table.columns[i])) {
                continue;
            }
            const std::string column = Connection::quote(table.columns[i]);
            if (auto status = connection_->execute("ALTER TABLE " + quotedTable + " ADD COLUMN " + column +
                                                   " " + sqlType(table.types[i]));
                !status) {
                return status;
            }
            auto fill = connection_->prepare("UPDATE " + quotedTable + " SET " + column + " = ?1");
            if (!fill) {
                return fill.error();
            }
            if (auto bound = fill->bind(1, table.defaults[i]); !bound) {
                return bound;
            }
            if (auto status = fill->run(); !status) {
                return status;
            }
        }

        for (const auto& index : table.indexes) {
            if (auto status = connection_->execute("CREATE INDEX IF NOT EXISTS " +
                                                   Connection::quote(indexName(table, index, false)) +
                                                   " ON " + quotedTable + " (" + joinQuoted(index) + ")");
                !status) {
                return status;
            }
        }
        if (!table.uniqueKey.empty()) {
            if (auto status =
                    connection_->execute("CREATE UNIQUE INDEX IF NOT EXISTS " +
                                         Connection::quote(indexName(table, table.uniqueKey, true)) + " ON " +
                                         quotedTable + " (" + joinQuoted(table.uniqueKey) + ")");
                !status) {
                return status;
            }
        }
        return {};
    });
}

// MARK: - Queries

SQLite::Result<SQLite::Statement> ASDatabase::select(const ASTableInfo& table, const ASAttributes& attributes,
                                                     const ASOrders& orders, std::optional<int> limit) {
    std::string where;
    std::vector<SQLite::Value> bindings;
    for (const auto& [column, value] : attributes) {
        if (!table.hasColumn(column)) {
            return unknownColumn(table, column);
        }
        if (!where.empty()) {
            where += " AND ";
        }
        if (value.isNull()) {
            where += Connection::quote(column) + " IS NULL";
        } else {
            where += Connection::quote(column) + " = ?";
            bindings.push_back(value);
        }
    }
    return select(table, where, bindings, orders, limit);
}

SQLite::Result<SQLite::Statement> ASDatabase::select(const ASTableInfo& table, const ASExpression& filter,
                                                     const ASOrders& orders, std::optional<int> limit) {
    std::vector<SQLite::Value> bindings;
    auto where = filter.render(table, bindings);
    if (!where) {
        return where.error();
    }
    return select(table, *where, bindings, orders, limit);
}

SQLite::Result<SQLite::Statement> ASDatabase::select(const ASTableInfo& table, const std::string& where,
                                                     const std::vector<SQLite::Value>& bindings,
                                                     const ASOrders& orders, std::optional<int> limit) {
    auto prepared = prepareTable(table);
    if (!prepared) {
        return prepared.error();
    }
    std::string sql = (*prepared)->selectPrefix;
    if (!where.empty()) {
        sql += " WHERE ";
        sql += where;
    }
    sql += " ORDER BY ";
    for (const auto& order : orders) {
        if (!table.hasColumn(order.column)) {
            return unknownColumn(table, order.column);
        }
        sql += Connection::quote(order.column);
        sql += order.ascending ? " ASC, " : " DESC, ";
    }
    sql += Connection::quote(ASIdColumn);
    if (limit) {
        sql += " LIMIT ?";
    }
    auto statement = connection_->prepare(sql);
    if (!statement) {
        return statement.error();
    }
    if (auto bound = statement->bindAll(bindings); !bound) {
        return bound.error();
    }
    if (limit) {
        if (auto bound = statement->bind(static_cast<int>(bindings.size()) + 1, *limit); !bound) {
            return bound.error();
        }
    }
    return statement;
}

// MARK: - Writes

SQLite::Result<ASDatabase::Stored>
ASDatabase::insert(const ASTableInfo& table, const std::vector<SQLite::Value>& values, std::int64_t now) {
    if (auto prepared = prepareTable(table); !prepared) {
        return prepared.error();
    }
    std::string sql = "INSERT INTO " + Connection::quote(table.name) + " (" +
                      Connection::quote(ASCreatedAtColumn) + ", " + Connection::quote(ASUpdatedAtColumn);
    std::string parameters = "?, ?";
    for (const auto& column : table.columns) {
        sql += ", " + Connection::quote(column);
        parameters += ", ?";
    }
    sql += ") VALUES (" + parameters + ")";
    if (!table.uniqueKey.empty()) {
        sql += " ON CONFLICT (" + joinQuoted(table.uniqueKey) + ") DO UPDATE SET ";
        for (const auto& column : table.columns) {
            if (std::find(table.uniqueKey.begin(), table.uniqueKey.end(), column) == table.uniqueKey.end()) {
                sql += Connection::quote(column) + " = excluded." + Connection::quote(column) + ", ";
            }
        }
        sql += Connection::quote(ASUpdatedAtColumn) + " = excluded." + Connection::quote(ASUpdatedAtColumn);
    }
    sql += " RETURNING " + Connection::quote(ASIdColumn) + ", " + Connection::quote(ASCreatedAtColumn);

    Stored stored;
    auto status = connection_->transaction([&]() -> SQLite::Status {
        auto statement = connection_->prepare(sql);
        if (!statement) {
            return statement.error();
        }
        std::vector<SQLite::Value> bindings = {now, now};
        bindings.insert(bindings.end(), values.begin(), values.end());
        if (auto bound = statement->bindAll(bindings); !bound) {
            return bound;
        }
        auto row = statement->step();
        if (!row) {
            return row.error();
        }
        if (!*row) {
            return SQLite::Error{SQLITE_ERROR, "insert into " + table.name + " returned no row"};
        }
        stored.id = statement->integer(0);
        stored.createdAt = statement->integer(1);
        return statement->run();
    });
    if (!status) {
        return status.error();
    }
    return stored;
}

SQLite::Status ASDatabase::update(const ASTableInfo& table, std::int64_t id,
                                  const std::vector<std::size_t>& changed,
                                  const std::vector<SQLite::Value>& values, std::int64_t now) {
    if (auto prepared = prepareTable(table); !prepared) {
        return prepared.error();
    }
    std::string sql = "UPDATE " + Connection::quote(table.name) + " SET ";
    std::vector<SQLite::Value> bindings;
    for (std::size_t index : changed) {
        sql += Connection::quote(table.columns[index]) + " = ?, ";
        bindings.push_back(values[index]);
    }
    sql += Connection::quote(ASUpdatedAtColumn) + " = ? WHERE " + Connection::quote(ASIdColumn) + " = ?";
    bindings.emplace_back(now);
    bindings.emplace_back(id);
    return connection_->transaction([&]() -> SQLite::Status {
        auto statement = connection_->prepare(sql);
        if (!statement) {
            return statement.error();
        }
        if (auto bound = statement->bindAll(bindings); !bound) {
            return bound;
        }
        if (auto status = statement->run(); !status) {
            return status;
        }
        if (connection_->changes() == 0) {
            return SQLite::Error{SQLITE_NOTFOUND, "the record no longer exists in " + table.name};
        }
        return {};
    });
}

SQLite::Status ASDatabase::remove(const ASTableInfo& table, std::int64_t id) {
    if (auto prepared = prepareTable(table); !prepared) {
        return prepared.error();
    }
    const std::string sql =
        "DELETE FROM " + Connection::quote(table.name) + " WHERE " + Connection::quote(ASIdColumn) + " = ?";
    return connection_->transaction([&]() -> SQLite::Status {
        auto statement = connection_->prepare(sql);
        if (!statement) {
            return statement.error();
        }
        if (auto bound = statement->bind(1, id); !bound) {
            return bound;
        }
        return statement->run();
    });
}
