#pragma once

#include <string>
#include <utility>

// One ordering of store query results by a column.
class SJSQLite3ColumnOrder {
  public:
    static SJSQLite3ColumnOrder orderWithColumn(std::string column, bool ascending) {
        return SJSQLite3ColumnOrder(std::move(column), ascending);
    }

    const std::string& column() const { return column_; }
    bool ascending() const { return ascending_; }

  private:
    SJSQLite3ColumnOrder(std::string column, bool ascending)
        : column_(std::move(column)), ascending_(ascending) {}

    std::string column_;
    bool ascending_;
};
