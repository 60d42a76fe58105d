#pragma once

#include <optional>
#include <string>
#include <utility>

// An equality condition of a store query: the column named `column` holds `value`
// (an absent value: the column holds no value).
class SJSQLite3Condition {
  public:
    static SJSQLite3Condition conditionWithColumn(std::string column, std::optional<std::string> value) {
        return SJSQLite3Condition(std::move(column), std::move(value));
    }

    const std::string& column() const { return column_; }
    const std::optional<std::string>& value() const { return value_; }

  private:
    SJSQLite3Condition(std::string column, std::optional<std::string> value)
        : column_(std::move(column)), value_(std::move(value)) {}

    std::string column_;
    std::optional<std::string> value_;
};
