#pragma once

#include "platform/ActiveSQLite/SQLiteConnection.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The kind of value a column holds.
enum class ASColumnType { text, real, integer };

// What the record library needs to know about a table, whatever the record type: its
// name, its declared columns in order with their kinds and the values new rows start
// with, and its indexes. Every table also has the base columns "id", "created_at" and
// "updated_at".
struct ASTableInfo {
    std::string name;
    std::vector<std::string> columns;
    std::vector<ASColumnType> types;
    std::vector<SQLite::Value> defaults;
    // Indexes that make the record type's lookups fast.
    std::vector<std::vector<std::string>> indexes;
    // Columns whose values identify a record. A table has at most one row per key:
    // saving a new record whose key matches a stored row writes that row back instead of
    // adding another.
    std::vector<std::string> uniqueKey;

    // Position of a declared column, or -1.
    int indexOfColumn(std::string_view column) const;
    // Declared columns and the base columns.
    bool hasColumn(std::string_view column) const;
};

inline constexpr std::string_view ASIdColumn = "id";
inline constexpr std::string_view ASCreatedAtColumn = "created_at";
inline constexpr std::string_view ASUpdatedAtColumn = "updated_at";

// One stored property of a record type: its column name and the member that holds it.
template <class Model> class ASColumn {
  public:
    ASColumn(std::string name, std::string Model::*member) : name_(std::move(name)), member_(member) {}
    ASColumn(std::string name, double Model::*member) : name_(std::move(name)), member_(member) {}
    ASColumn(std::string name, std::int64_t Model::*member) : name_(std::move(name)), member_(member) {}

    const std::string& name() const { return name_; }

    ASColumnType type() const {
        static constexpr ASColumnType kinds[] = {ASColumnType::text, ASColumnType::real,
                                                 ASColumnType::integer};
        return kinds[member_.index()];
    }

    SQLite::Value read(const Model& model) const {
        return std::visit([&](auto member) { return SQLite::Value(model.*member); }, member_);
    }

    // Sets the member from a result column; NULL leaves the member as it is.
    void load(Model& model, const SQLite::Statement& row, int column) const {
        if (row.isNull(column)) {
            return;
        }
        std::visit(
            [&](auto member) {
                using T = std::decay_t<decltype(model.*member)>;
                if constexpr (std::is_same_v<T, std::string>) {
                    model.*member = row.text(column);
                } else if constexpr (std::is_same_v<T, double>) {
                    model.*member = row.real(column);
                } else {
                    model.*member = row.integer(column);
                }
            },
            member_);
    }

  private:
    std::string name_;
    std::variant<std::string Model::*, double Model::*, std::int64_t Model::*> member_;
};

struct ASTableOptions {
    std::vector<std::vector<std::string>> indexes;
    std::vector<std::string> uniqueKey;
};

// The mapping of one record type: declared once per type, in a static table of its
// stored members. The values of a default-constructed record are what new rows start
// with.
template <class Model> class ASTable {
  public:
    ASTable(std::string name, std::vector<ASColumn<Model>> columns, ASTableOptions options = {})
        : columns_(std::move(columns)) {
        Model prototype;
        info_.name = std::move(name);
        for (const auto& column : columns_) {
            info_.columns.push_back(column.name());
            info_.types.push_back(column.type());
            info_.defaults.push_back(column.read(prototype));
        }
        info_.indexes = std::move(options.indexes);
        info_.uniqueKey = std::move(options.uniqueKey);
    }

    const ASTableInfo& info() const { return info_; }
    const std::vector<ASColumn<Model>>& columns() const { return columns_; }

  private:
    ASTableInfo info_;
    std::vector<ASColumn<Model>> columns_;
};
