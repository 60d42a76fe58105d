#pragma once

#include "platform/ActiveSQLite/ASTable.h"
#include "platform/ActiveSQLite/SQLiteResult.h"
#include "platform/ActiveSQLite/SQLiteValue.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// Column -> value pairs that a record must all equal. An absent value matches rows
// whose column holds no value.
using ASAttributes = std::vector<std::pair<std::string, SQLite::Value>>;

// One ordering of query results by a column.
struct ASOrder {
    std::string column;
    bool ascending = true;
};
using ASOrders = std::vector<ASOrder>;

// A filter over a table's columns, built from ASColumnRef comparisons joined with &&,
// || and !. Values are always bound to the statement, never written into its text.
class ASExpression {
  public:
    // The SQL text of the filter (with ? parameters) for `table`, appending the values to
    // bind to `bindings`. Fails when the expression names a column the table lacks.
    SQLite::Result<std::string> render(const ASTableInfo& table, std::vector<SQLite::Value>& bindings) const;

  private:
    struct Node;
    explicit ASExpression(std::shared_ptr<const Node> node) : node_(std::move(node)) {}
    static ASExpression comparison(std::string column, std::string op, SQLite::Value value);
    static ASExpression combination(std::string op, const ASExpression& left, const ASExpression& right);
    static SQLite::Status renderNode(const Node& node, const ASTableInfo& table, std::string& sql,
                                     std::vector<SQLite::Value>& bindings);

    friend class ASColumnRef;
    friend ASExpression operator&&(const ASExpression&, const ASExpression&);
    friend ASExpression operator||(const ASExpression&, const ASExpression&);
    friend ASExpression operator!(const ASExpression&);

    std::shared_ptr<const Node> node_;
};

// A column named in an expression: ASColumnRef("state") != "finish".
class ASColumnRef {
  public:
    explicit ASColumnRef(std::string name) : name_(std::move(name)) {}

    ASExpression operator==(SQLite::Value value) const {
        return ASExpression::comparison(name_, "=", std::move(value));
    }
    ASExpression operator!=(SQLite::Value value) const {
        return ASExpression::comparison(name_, "<>", std::move(value));
    }
    ASExpression operator<(SQLite::Value value) const {
        return ASExpression::comparison(name_, "<", std::move(value));
    }
    ASExpression operator<=(SQLite::Value value) const {
        return ASExpression::comparison(name_, "<=", std::move(value));
    }
    ASExpression operator>(SQLite::Value value) const {
        return ASExpression::comparison(name_, ">", std::move(value));
    }
    ASExpression operator>=(SQLite::Value value) const {
        return ASExpression::comparison(name_, ">=", std::move(value));
    }

  private:
    std::string name_;
};

ASExpression operator&&(const ASExpression& left, const ASExpression& right);
ASExpression operator||(const ASExpression& left, const ASExpression& right);
ASExpression operator!(const ASExpression& expression);
