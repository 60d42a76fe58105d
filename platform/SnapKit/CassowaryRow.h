#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

// One row of the simplex tableau: `basic = constant + sum(coefficient * symbol)`, or,
// while a constraint is being turned into a row, `0 = constant + sum(...)`. Cells are
// kept sorted by symbol id so that rows merge in linear time.
namespace cassowary {

enum class SymbolKind : std::uint8_t { invalid, external, slack, error, dummy };

struct Symbol {
    std::uint32_t id = 0;
    SymbolKind kind = SymbolKind::invalid;

    bool isValid() const { return kind != SymbolKind::invalid; }
    bool isExternal() const { return kind == SymbolKind::external; }
    bool isDummy() const { return kind == SymbolKind::dummy; }
    // Slack and error symbols are restricted to non-negative values and may be pivoted.
    bool isPivotable() const { return kind == SymbolKind::slack || kind == SymbolKind::error; }
    friend bool operator==(Symbol a, Symbol b) { return a.id == b.id; }
};

inline bool nearZero(double value) {
    constexpr double epsilon = 1.0e-8;
    return std::fabs(value) < epsilon;
}

struct Cell {
    Symbol symbol;
    double coefficient;
};

class Row {
  public:
    Row() = default;
    explicit Row(double constant) : constant_(constant) {}

    double constant() const { return constant_; }
    const std::vector<Cell>& cells() const { return cells_; }
    void addConstant(double value) { constant_ += value; }

    double coefficientFor(Symbol symbol) const {
        auto found = find(symbol);
        return found != cells_.end() && found->symbol.id == symbol.id ? found->coefficient : 0.0;
    }

    // Adds `coefficient * symbol`; a coefficient that becomes zero removes the cell.
    // `changed(symbol, present)` reports symbols that appear in or leave the row.
    template <class Changed> void insert(Symbol symbol, double coefficient, Changed&& changed) {
        auto found = find(symbol);
        if (found != cells_.end() && found->symbol.id == symbol.id) {
            found->coefficient += coefficient;
            if (nearZero(found->coefficient)) {
                cells_.erase(found);
                changed(symbol, false);
            }
        } else if (!nearZero(coefficient)) {
            cells_.insert(found, Cell{symbol, coefficient});
            changed(symbol, true);
        }
    }
    void insert(Symbol symbol, double coefficient = 1.0) { insert(symbol, coefficient, ignore); }

    // Adds `coefficient * other` (its constant and every cell).
    template <class Changed> void insert(const Row& other, double coefficient, Changed&& changed) {
        constant_ += other.constant_ * coefficient;
        // Scratch space shared by all rows: buffers rotate between rows, so merging
        // allocates only when a row grows beyond every buffer seen so far.
        static thread_local std::vector<Cell> merged;
        merged.clear();
        merged.reserve(cells_.size() + other.cells_.size());
        auto mine = cells_.begin();
        auto theirs = other.cells_.begin();
        while (mine != cells_.end() || theirs != other.cells_.end()) {
            if (theirs == other.cells_.end() ||
                (mine != cells_.end() && mine->symbol.id < theirs->symbol.id)) {
                merged.push_back(*mine++);
            } else if (mine == cells_.end() || theirs->symbol.id < mine->symbol.id) {
                const double value = theirs->coefficient * coefficient;
                if (!nearZero(value)) {
                    merged.push_back(Cell{theirs->symbol, value});
                    changed(theirs->symbol, true);
                }
                ++theirs;
            } else {
                const double value = mine->coefficient + theirs->coefficient * coefficient;
                if (nearZero(value)) {
                    changed(mine->symbol, false);
                } else {
                    merged.push_back(Cell{mine->symbol, value});
                }
                ++mine;
                ++theirs;
            }
        }
        cells_.swap(merged);
    }
    void insert(const Row& other, double coefficient = 1.0) { insert(other, coefficient, ignore); }

    void remove(Symbol symbol) {
        auto found = find(symbol);
        if (found != cells_.end() && found->symbol.id == symbol.id) {
            cells_.erase(found);
        }
    }

    void reverseSign() {
        constant_ = -constant_;
        for (Cell& cell : cells_) {
            cell.coefficient = -cell.coefficient;
        }
    }

    // Turns `0 = ... + a * symbol` into `symbol = ...`; the symbol leaves the row.
    void solveFor(Symbol symbol) {
        auto found = find(symbol);
        const double factor = -1.0 / found->coefficient;
        cells_.erase(found);
        constant_ *= factor;
        for (Cell& cell : cells_) {
            cell.coefficient *= factor;
        }
    }

    // Turns `lhs = ... + a * rhs` into `rhs = ...` (lhs joins the right-hand side).
    void solveFor(Symbol lhs, Symbol rhs) {
        insert(lhs, -1.0);
        solveFor(rhs);
    }

    // Replaces `symbol` by the expression `row`; answers whether the symbol was present.
    template <class Changed> bool substitute(Symbol symbol, const Row& row, Changed&& changed) {
        auto found = find(symbol);
        if (found == cells_.end() || found->symbol.id != symbol.id) {
            return false;
        }
        const double coefficient = found->coefficient;
        cells_.erase(found);
        changed(symbol, false);
        insert(row, coefficient, changed);
        return true;
    }
    bool substitute(Symbol symbol, const Row& row) { return substitute(symbol, row, ignore); }

  private:
    static void ignore(Symbol, bool) {}

    std::vector<Cell>::iterator find(Symbol symbol) {
        return std::lower_bound(cells_.begin(), cells_.end(), symbol.id,
                                [](const Cell& cell, std::uint32_t id) { return cell.symbol.id < id; });
    }
    std::vector<Cell>::const_iterator find(Symbol symbol) const {
        return std::lower_bound(cells_.begin(), cells_.end(), symbol.id,
                                [](const Cell& cell, std::uint32_t id) { return cell.symbol.id < id; });
    }

    double constant_ = 0;
    std::vector<Cell> cells_;
};

} // namespace cassowary
