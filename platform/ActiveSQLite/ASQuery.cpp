#include "platform/ActiveSQLite/ASQuery.h"

#include <sqlite3.h>

struct ASExpression::Node {
    // A comparison of `column` with `value`, or `op` applied to `left` (and `right`).
    std::string column;
    std::string op;
    SQLite::Value value;
    std::shared_ptr<const Node> left;
    std::shared_ptr<const Node> right;
};

ASExpression ASExpression::comparison(std::string column, std::string op, SQLite::Value value) {
    return ASExpression(std::make_shared<const Node>(
        Node{std::move(column), std::move(op), std::move(value), nullptr, nullptr}));
}

ASExpression ASExpression::combination(std::string op, const ASExpression& left, const ASExpression& right) {
    return ASExpression(std::make_shared<const Node>(Node{{}, std::move(op), {}, left.node_, right.node_}));
}

ASExpression operator&&(const ASExpression& left, const ASExpression& right) {
    return ASExpression::combination("AND", left, right);
}

ASExpression operator||(const ASExpression& left, const ASExpression& right) {
    return ASExpression::combination("OR", left, right);
}

ASExpression operator!(const ASExpression& expression) {
    return ASExpression(std::make_shared<const ASExpression::Node>(
        ASExpression::Node{{}, "NOT", {}, expression.node_, nullptr}));
}

SQLite::Result<std::string> ASExpression::render(const ASTableInfo& table,
                                                 std::vector<SQLite::Value>& bindings) const {
    std::string sql;
    if (auto status = renderNode(*node_, table, sql, bindings); !status) {
        return status.error();
    }
    return sql;
}

SQLite::Status ASExpression::renderNode(const Node& node, const ASTableInfo& table, std::string& sql,
                                        std::vector<SQLite::Value>& bindings) {
    if (node.left == nullptr) {
        if (!table.hasColumn(node.column)) {
            return SQLite::Error{SQLITE_ERROR, "no such column: " + node.column + " in table " + table.name};
        }
        sql += SQLite::Connection::quote(node.column);
        // Equality with an absent value asks whether the column holds no value.
        if (node.value.isNull() && (node.op == "=" || node.op == "<>")) {
            sql += node.op == "=" ? " IS NULL" : " IS NOT NULL";
            return {};
        }
        sql += " " + node.op + " ?";
        bindings.push_back(node.value);
        return {};
    }
    if (node.right == nullptr) {
        sql += "NOT (";
        if (auto status = renderNode(*node.left, table, sql, bindings); !status) {
            return status;
        }
        sql += ")";
        return {};
    }
    sql += "(";
    if (auto status = renderNode(*node.left, table, sql, bindings); !status) {
        return status;
    }
    sql += ") " + node.op + " (";
    if (auto status = renderNode(*node.right, table, sql, bindings); !status) {
        return status;
    }
    sql += ")";
    return {};
}
