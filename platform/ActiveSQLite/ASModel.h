#pragma once

#include "platform/ActiveSQLite/ASConfigration.h"
#include "platform/ActiveSQLite/ASQuery.h"
#include "platform/ActiveSQLite/ASTable.h"
#include "platform/Foundation/RunLoop.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The base of every record type of the default database. A record type derives from
// ASModel<itself>, holds its columns as plain members (texts default to "") and
// declares them once:
//
//     class KKeditjerk : public ASModel<KKeditjerk> {
//     public:
//         std::string src;
//         std::string parseJson;
//         static const ASTable<KKeditjerk>& table();
//     };
//
// Lookups answer records held by shared pointers; writes answer a status. A record
// remembers the values it was read or last written with, so `update()` writes back only
// the columns that changed: two records of one row changed in different columns do
// not undo each other's writes.
template <class Derived> class ASModel {
  public:
    using Pointer = std::shared_ptr<Derived>;

    // The row's identifier, absent until the record is stored.
    std::optional<std::int64_t> id;
    // Milliseconds since 1970 of the row's creation and last write.
    std::optional<std::int64_t> created_at;
    std::optional<std::int64_t> updated_at;

    // The first record (in storage order) whose `column` equals `value`, or a null
    // pointer when there is none.
    static SQLite::Result<Pointer> findFirst(const std::string& column, SQLite::Value value) {
        return findFirst(ASAttributes{{column, std::move(value)}});
    }
    // The first record whose columns equal all the values, or a null pointer.
    static SQLite::Result<Pointer> findFirst(const ASAttributes& attributes) {
        auto database = ASConfigration::defaultDB();
        if (!database) {
            return database.error();
        }
        auto found = collect((*database)->select(Derived::table().info(), attributes, {}, 1));
        if (!found) {
            return found.error();
        }
        return found->empty() ? Pointer() : found->front();
    }
    // The first record that meets `filter`, in the given orders and then in storage
    // order, or a null pointer.
    static SQLite::Result<Pointer> findFirst(const ASExpression& filter, const ASOrders& orders = {}) {
        auto database = ASConfigration::defaultDB();
        if (!database) {
            return database.error();
        }
        auto found = collect((*database)->select(Derived::table().info(), filter, orders, 1));
        if (!found) {
            return found.error();
        }
        return found->empty() ? Pointer() : found->front();
    }
    // Every record whose columns equal all the values, in the given orders and then in
    // storage order.
    static SQLite::Result<std::vector<Pointer>> findAll(const ASAttributes& attributes,
                                                        const ASOrders& orders = {}) {
        auto database = ASConfigration::defaultDB();
        if (!database) {
            return database.error();
        }
        return collect((*database)->select(Derived::table().info(), attributes, orders, std::nullopt));
    }
    // Every record that meets `filter`, in the given orders and then in storage order.
    static SQLite::Result<std::vector<Pointer>> findAll(const ASExpression& filter,
                                                        const ASOrders& orders = {}) {
        auto database = ASConfigration::defaultDB();
        if (!database) {
            return database.error();
        }
        return collect((*database)->select(Derived::table().info(), filter, orders, std::nullopt));
    }

    // Stores a new record, or writes a stored one back (as `update()`). A new record
    // whose unique key matches a stored row takes that row's place and identifier.
    SQLite::Status save() {
        if (id) {
            return update();
        }
        auto database = ASConfigration::defaultDB();
        if (!database) {
            return database.error();
        }
        const auto now = currentTime();
        auto values = currentValues();
        auto stored = (*database)->insert(Derived::table().info(), values, now);
        if (!stored) {
            return stored.error();
        }
        id = stored->id;
        created_at = stored->createdAt;
        updated_at = now;
        stored_ = std::move(values);
        return {};
    }

    // Writes the columns changed since the record was read or last written back to its
    // row. Fails when the record was never stored or its row has been deleted; nothing
    // is written then.
    SQLite::Status update() {
        if (!id) {
            return SQLite::Error{SQLITE_MISUSE, "the record has not been stored"};
        }
        auto database = ASConfigration::defaultDB();
        if (!database) {
            return database.error();
        }
        const auto now = currentTime();
        auto values = currentValues();
        std::vector<std::size_t> changed;
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (i >= stored_.size() || !(values[i] == stored_[i])) {
                changed.push_back(i);
            }
        }
        if (auto status = (*database)->update(Derived::table().info(), *id, changed, values, now); !status) {
            return status;
        }
        updated_at = now;
        stored_ = std::move(values);
        return {};
    }

    // Removes the record's row. Afterwards the record counts as never stored.
    SQLite::Status deleteRecord() {
        if (!id) {
            return {};
        }
        auto database = ASConfigration::defaultDB();
        if (!database) {
            return database.error();
        }
        if (auto status = (*database)->remove(Derived::table().info(), *id); !status) {
            return status;
        }
        id.reset();
        stored_.clear();
        return {};
    }

  protected:
    ASModel() = default;

  private:
    std::vector<SQLite::Value> currentValues() const {
        std::vector<SQLite::Value> values;
        const auto& columns = Derived::table().columns();
        values.reserve(columns.size());
        for (const auto& column : columns) {
            values.push_back(column.read(static_cast<const Derived&>(*this)));
        }
        return values;
    }

    static std::int64_t currentTime() { return std::llround(Date::timeIntervalSince1970() * 1000.0); }

    static SQLite::Result<std::vector<Pointer>> collect(SQLite::Result<SQLite::Statement> statement) {
        if (!statement) {
            return statement.error();
        }
        const auto& columns = Derived::table().columns();
        std::vector<Pointer> records;
        while (true) {
            auto row = statement->step();
            if (!row) {
                return row.error();
            }
            if (!*row) {
                return records;
            }
            auto record = std::make_shared<Derived>();
            record->id = statement->integer(0);
            if (!statement->isNull(1)) {
                record->created_at = statement->integer(1);
            }
            if (!statement->isNull(2)) {
                record->updated_at = statement->integer(2);
            }
            record->stored_.reserve(columns.size());
            for (std::size_t i = 0; i < columns.size(); ++i) {
                const int column = ASDatabase::firstDeclaredColumn + static_cast<int>(i);
                columns[i].load(*record, *statement, column);
                record->stored_.push_back(columns[i].read(*record));
            }
            records.push_back(std::move(record));
        }
    }

    std::vector<SQLite::Value> stored_;
};
