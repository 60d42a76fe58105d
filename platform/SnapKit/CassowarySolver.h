#pragma once

#include "platform/SnapKit/CassowaryRow.h"
#include "platform/SnapKit/CassowaryTypes.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

// An incremental Cassowary solver: linear equalities and inequalities, each required or
// preferred with a priority, solved by the dual simplex method so that adding, removing
// or re-weighting one constraint, or changing one constant, costs work proportional to
// the part of the tableau it touches rather than to the whole system.
namespace cassowary {

class Solver {
  public:
    Solver();
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    // A new variable; it takes part in solving once a constraint names it.
    Variable makeVariable();

    // Adds `expression relation 0` with a priority from 1 to 1000 (1000 = required).
    // Throws UnsatisfiableConstraint when a required constraint contradicts the
    // required constraints present; the solver is then unchanged.
    ConstraintId addConstraint(const Expression& expression, Relation relation, double priority);
    void removeConstraint(ConstraintId id);
    bool hasConstraint(ConstraintId id) const { return constraints_.count(id) != 0; }
    // Moves the constant of a constraint's expression to `constant`, starting from the
    // current solution. Throws UnsatisfiableConstraint, keeping the old constant, when
    // the required constraints can no longer all be met.
    void setConstant(ConstraintId id, double constant);
    double constantOf(ConstraintId id) const;

    double value(Variable variable) const;
    std::size_t constraintCount() const { return constraints_.size(); }
    std::size_t rowCount() const { return basicSlot_.size(); }

    // The weight of a preferred priority in the objective.
    static double weightOf(double priority);

  private:
    struct Tag {
        Symbol marker;
        Symbol other;
        double markerCoefficient = 1;
    };
    struct ConstraintInfo {
        Expression expression;
        Relation relation;
        double priority;
        Tag tag;
    };
    struct Slot {
        Symbol basic;
        Row row;
    };
    using SlotId = std::uint32_t;

    Symbol makeSymbol(SymbolKind kind);
    Row makeRow(const ConstraintInfo& info, Tag& tag);
    Symbol chooseSubject(const Row& row, const Tag& tag) const;
    bool addWithArtificialVariable(const Row& row);
    void optimize(Row& objective);
    void dualOptimize();
    Symbol enteringSymbol(const Row& objective) const;
    Symbol dualEnteringSymbol(const Row& row) const;
    bool leavingRow(Symbol entering, Symbol& leaving) const;
    bool markerLeavingRow(Symbol marker, Symbol& leaving) const;
    void substitute(Symbol symbol, const Row& row);
    void pivot(Symbol leaving, Symbol entering);
    void removeMarkerEffects(Symbol marker, double weight);
    void installConstraint(ConstraintId id, ConstraintInfo info);
    void shiftMarker(const Tag& tag, double delta);

    // Tableau storage: rows live in stable slots; each symbol knows the slots whose rows
    // mention it, so substitution visits only those rows.
    bool isBasic(Symbol symbol) const { return basicSlot_.count(symbol.id) != 0; }
    const Row* rowOf(Symbol symbol) const;
    void insertRow(Symbol basic, Row row);
    Row takeRow(Symbol basic);
    void noteCell(SlotId slot, Symbol symbol, bool present);

    std::uint32_t nextSymbolId_ = 1;
    ConstraintId nextConstraintId_ = 1;
    std::vector<Slot> slots_;
    std::vector<SlotId> freeSlots_;
    std::unordered_map<std::uint32_t, SlotId> basicSlot_;
    std::unordered_map<std::uint32_t, std::vector<SlotId>> columns_;
    std::unordered_map<ConstraintId, ConstraintInfo> constraints_;
    Row objective_;
    std::unique_ptr<Row> artificial_;
    std::vector<Symbol> infeasible_;
};

} // namespace cassowary
