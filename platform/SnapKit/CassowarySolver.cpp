#include "platform/SnapKit/CassowarySolver.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace cassowary {

namespace {

bool allDummies(const Row& row) {
    return std::all_of(row.cells().begin(), row.cells().end(),
                       [](const Cell& cell) { return cell.symbol.isDummy(); });
}

Symbol anyPivotableSymbol(const Row& row) {
    for (const Cell& cell : row.cells()) {
        if (cell.symbol.isPivotable()) {
            return cell.symbol;
        }
    }
    return {};
}

} // namespace

Solver::Solver() = default;

double Solver::weightOf(double priority) {
    const double clamped = std::clamp(priority, 1.0, Priority::required);
    // 1 -> 1, 999 -> 1e7: each hundred points of priority weighs about five times more.
    return std::pow(10.0, 7.0 * (clamped - 1.0) / 998.0);
}

Variable Solver::makeVariable() {
    return Variable{nextSymbolId_++};
}

Symbol Solver::makeSymbol(SymbolKind kind) {
    return Symbol{nextSymbolId_++, kind};
}

const Row* Solver::rowOf(Symbol symbol) const {
    auto found = basicSlot_.find(symbol.id);
    return found == basicSlot_.end() ? nullptr : &slots_[found->second].row;
}

double Solver::value(Variable variable) const {
    const Row* row = rowOf(Symbol{variable.id, SymbolKind::external});
    return row != nullptr ? row->constant() : 0.0;
}

double Solver::constantOf(ConstraintId id) const {
    return constraints_.at(id).expression.constant;
}

void Solver::noteCell(SlotId slot, Symbol symbol, bool present) {
    if (present) {
        columns_[symbol.id].push_back(slot);
        return;
    }
    auto column = columns_.find(symbol.id);
    if (column == columns_.end()) {
        return;
    }
    auto& slots = column->second;
    auto found = std::find(slots.begin(), slots.end(), slot);
    if (found != slots.end()) {
        *found = slots.back();
        slots.pop_back();
    }
    if (slots.empty()) {
        columns_.erase(column);
    }
}

void Solver::insertRow(Symbol basic, Row row) {
    SlotId slot;
    if (!freeSlots_.empty()) {
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    } else {
        slot = static_cast<SlotId>(slots_.size());
        slots_.emplace_back();
    }
    for (const Cell& cell : row.cells()) {
        columns_[cell.symbol.id].push_back(slot);
    }
    slots_[slot] = Slot{basic, std::move(row)};
    basicSlot_[basic.id] = slot;
}

Row Solver::takeRow(Symbol basic) {
    auto found = basicSlot_.find(basic.id);
    const SlotId slot = found->second;
    basicSlot_.erase(found);
    Row row = std::move(slots_[slot].row);
    slots_[slot] = Slot{};
    for (const Cell& cell : row.cells()) {
        noteCell(slot, cell.symbol, false);
    }
    freeSlots_.push_back(slot);
    return row;
}

ConstraintId Solver::addConstraint(const Expression& expression, Relation relation, double priority) {
    const ConstraintId id = nextConstraintId_++;
    installConstraint(id, ConstraintInfo{expression, relation, priority, {}});
    return id;
}

void Solver::installConstraint(ConstraintId id, ConstraintInfo info) {
    Tag tag;
    Row row = makeRow(info, tag);
    Symbol subject = chooseSubject(row, tag);
    if (!subject.isValid() && allDummies(row)) {
        if (!nearZero(row.constant())) {
            throw UnsatisfiableConstraint();
        }
        subject = tag.marker;
    }
    if (!subject.isValid()) {
        if (!addWithArtificialVariable(row)) {
            optimize(objective_);
            throw UnsatisfiableConstraint();
        }
    } else {
        row.solveFor(subject);
        substitute(subject, row);
        insertRow(subject, std::move(row));
    }
    info.tag = tag;
    constraints_.emplace(id, std::move(info));
    optimize(objective_);
}

Row Solver::makeRow(const ConstraintInfo& info, Tag& tag) {
    Row row(info.expression.constant);
    for (const Term& term : info.expression.terms) {
        if (nearZero(term.coefficient)) {
            continue;
        }
        const Symbol symbol{term.variable.id, SymbolKind::external};
        if (const Row* basic = rowOf(symbol)) {
            row.insert(*basic, term.coefficient);
        } else {
            row.insert(symbol, term.coefficient);
        }
    }
    const bool required = info.priority >= Priority::required;
    const double weight = weightOf(info.priority);
    switch (info.relation) {
    case Relation::lessThanOrEqual:
    case Relation::greaterThanOrEqual: {
        const double coefficient = info.relation == Relation::lessThanOrEqual ? 1.0 : -1.0;
        const Symbol slack = makeSymbol(SymbolKind::slack);
        tag.marker = slack;
        tag.markerCoefficient = coefficient;
        row.insert(slack, coefficient);
        if (!required) {
            const Symbol error = makeSymbol(SymbolKind::error);
            tag.other = error;
            row.insert(error, -coefficient);
            objective_.insert(error, weight);
        }
        break;
    }
    case Relation::equal:
        if (!required) {
            const Symbol plus = makeSymbol(SymbolKind::error);
            const Symbol minus = makeSymbol(SymbolKind::error);
            tag.marker = plus;
            tag.markerCoefficient = -1.0;
            tag.other = minus;
            row.insert(plus, -1.0);
            row.insert(minus, 1.0);
            objective_.insert(plus, weight);
            objective_.insert(minus, weight);
        } else {
            const Symbol dummy = makeSymbol(SymbolKind::dummy);
            tag.marker = dummy;
            tag.markerCoefficient = 1.0;
            row.insert(dummy);
        }
        break;
    }
    if (row.constant() < 0.0) {
        row.reverseSign();
    }
    return row;
}

Symbol Solver::chooseSubject(const Row& row, const Tag& tag) const {
    for (const Cell& cell : row.cells()) {
        if (cell.symbol.isExternal()) {
            return cell.symbol;
        }
    }
    if (tag.marker.isPivotable() && row.coefficientFor(tag.marker) < 0.0) {
        return tag.marker;
    }
    if (tag.other.isPivotable() && row.coefficientFor(tag.other) < 0.0) {
        return tag.other;
    }
    return {};
}

bool Solver::addWithArtificialVariable(const Row& row) {
    const Symbol artificial = makeSymbol(SymbolKind::slack);
    insertRow(artificial, row);
    artificial_ = std::make_unique<Row>(row);
    optimize(*artificial_);
    const bool success = nearZero(artificial_->constant());
    artificial_.reset();

    if (isBasic(artificial)) {
        Row artificialRow = takeRow(artificial);
        // Dropping the row drops the new constraint: every pivot so far was an
        // equivalence, so the tableau still describes the constraints added before.
        if (!success || artificialRow.cells().empty()) {
            return success;
        }
        const Symbol entering = anyPivotableSymbol(artificialRow);
        if (!entering.isValid()) {
            return false;
        }
        artificialRow.solveFor(artificial, entering);
        substitute(entering, artificialRow);
        insertRow(entering, std::move(artificialRow));
    }
    auto column = columns_.find(artificial.id);
    if (column != columns_.end()) {
        const std::vector<SlotId> slots = column->second;
        columns_.erase(column);
        for (SlotId slot : slots) {
            slots_[slot].row.remove(artificial);
        }
    }
    objective_.remove(artificial);
    return success;
}

void Solver::substitute(Symbol symbol, const Row& row) {
    auto column = columns_.find(symbol.id);
    if (column != columns_.end()) {
        const std::vector<SlotId> slots = std::move(column->second);
        columns_.erase(column);
        for (SlotId slot : slots) {
            Slot& target = slots_[slot];
            target.row.substitute(symbol, row, [&](Symbol changed, bool present) {
                if (changed.id != symbol.id) {
                    noteCell(slot, changed, present);
                }
            });
            if (!target.basic.isExternal() && target.row.constant() < 0.0) {
                infeasible_.push_back(target.basic);
            }
        }
    }
    objective_.substitute(symbol, row);
    if (artificial_) {
        artificial_->substitute(symbol, row);
    }
}

void Solver::pivot(Symbol leaving, Symbol entering) {
    Row row = takeRow(leaving);
    row.solveFor(leaving, entering);
    substitute(entering, row);
    insertRow(entering, std::move(row));
}

Symbol Solver::enteringSymbol(const Row& objective) const {
    // The lowest-numbered improving symbol (Bland's rule), so the method cannot cycle.
    for (const Cell& cell : objective.cells()) {
        if (!cell.symbol.isDummy() && cell.coefficient < 0.0) {
            return cell.symbol;
        }
    }
    return {};
}

bool Solver::leavingRow(Symbol entering, Symbol& leaving) const {
    auto column = columns_.find(entering.id);
    if (column == columns_.end()) {
        return false;
    }
    double best = std::numeric_limits<double>::max();
    for (SlotId slot : column->second) {
        const Slot& candidate = slots_[slot];
        if (candidate.basic.isExternal()) {
            continue;
        }
        const double coefficient = candidate.row.coefficientFor(entering);
        if (coefficient < 0.0) {
            const double ratio = -candidate.row.constant() / coefficient;
            if (ratio < best || (ratio == best && candidate.basic.id < leaving.id)) {
                best = ratio;
                leaving = candidate.basic;
            }
        }
    }
    return leaving.isValid();
}

void Solver::optimize(Row& objective) {
    while (true) {
        const Symbol entering = enteringSymbol(objective);
        if (!entering.isValid()) {
            return;
        }
        Symbol leaving;
        if (!leavingRow(entering, leaving)) {
            throw InternalSolverError("the objective is unbounded");
        }
        pivot(leaving, entering);
    }
}

Symbol Solver::dualEnteringSymbol(const Row& row) const {
    Symbol entering;
    double best = std::numeric_limits<double>::max();
    for (const Cell& cell : row.cells()) {
        if (cell.coefficient > 0.0 && !cell.symbol.isDummy()) {
            const double ratio = objective_.coefficientFor(cell.symbol) / cell.coefficient;
            if (ratio < best) {
                best = ratio;
                entering = cell.symbol;
            }
        }
    }
    return entering;
}

void Solver::dualOptimize() {
    while (!infeasible_.empty()) {
        const Symbol leaving = infeasible_.back();
        infeasible_.pop_back();
        const Row* row = rowOf(leaving);
        if (row == nullptr || nearZero(row->constant()) || row->constant() >= 0.0) {
            continue;
        }
        const Symbol entering = dualEnteringSymbol(*row);
        if (!entering.isValid()) {
            infeasible_.clear();
            throw UnsatisfiableConstraint();
        }
        pivot(leaving, entering);
    }
}

void Solver::removeMarkerEffects(Symbol marker, double weight) {
    if (const Row* row = rowOf(marker)) {
        objective_.insert(*row, -weight);
    } else {
        objective_.insert(marker, -weight);
    }
}

bool Solver::markerLeavingRow(Symbol marker, Symbol& leaving) const {
    auto column = columns_.find(marker.id);
    if (column == columns_.end()) {
        return false;
    }
    double bestNegative = std::numeric_limits<double>::max();
    double bestPositive = std::numeric_limits<double>::max();
    Symbol negative;
    Symbol positive;
    Symbol external;
    for (SlotId slot : column->second) {
        const Slot& candidate = slots_[slot];
        const double coefficient = candidate.row.coefficientFor(marker);
        if (candidate.basic.isExternal()) {
            external = candidate.basic;
        } else if (coefficient < 0.0) {
            const double ratio = -candidate.row.constant() / coefficient;
            if (ratio < bestNegative) {
                bestNegative = ratio;
                negative = candidate.basic;
            }
        } else {
            const double ratio = candidate.row.constant() / coefficient;
            if (ratio < bestPositive) {
                bestPositive = ratio;
                positive = candidate.basic;
            }
        }
    }
    leaving = negative.isValid() ? negative : positive.isValid() ? positive : external;
    return leaving.isValid();
}

void Solver::removeConstraint(ConstraintId id) {
    auto found = constraints_.find(id);
    if (found == constraints_.end()) {
        return;
    }
    const Tag tag = found->second.tag;
    const double weight = weightOf(found->second.priority);
    constraints_.erase(found);

    if (tag.marker.kind == SymbolKind::error) {
        removeMarkerEffects(tag.marker, weight);
    }
    if (tag.other.kind == SymbolKind::error) {
        removeMarkerEffects(tag.other, weight);
    }
    if (isBasic(tag.marker)) {
        takeRow(tag.marker);
    } else {
        Symbol leaving;
        // A marker that appears in no row no longer shapes the tableau.
        if (markerLeavingRow(tag.marker, leaving)) {
            Row row = takeRow(leaving);
            row.solveFor(leaving, tag.marker);
            substitute(tag.marker, row);
        }
    }
    optimize(objective_);
}

void Solver::shiftMarker(const Tag& tag, double delta) {
    // The constraint reads `expression + constant + k * marker (+ error terms) = 0`.
    // Raising the constant by delta is the old system with marker = marker' + delta / k,
    // so substitute that into every row and repair feasibility by the dual simplex.
    const double shift = delta / tag.markerCoefficient;
    bool contradiction = false;
    auto adjust = [&](Slot& slot, double amount) {
        slot.row.addConstant(amount);
        if (slot.basic.isDummy()) {
            // A row of a redundant required equality must stay at zero.
            contradiction = contradiction || !nearZero(slot.row.constant());
        } else if (!slot.basic.isExternal() && slot.row.constant() < 0.0) {
            infeasible_.push_back(slot.basic);
        }
    };
    if (auto basic = basicSlot_.find(tag.marker.id); basic != basicSlot_.end()) {
        adjust(slots_[basic->second], -shift);
    } else if (auto column = columns_.find(tag.marker.id); column != columns_.end()) {
        for (SlotId id : column->second) {
            Slot& slot = slots_[id];
            adjust(slot, slot.row.coefficientFor(tag.marker) * shift);
        }
    }
    if (contradiction) {
        infeasible_.clear();
        throw UnsatisfiableConstraint();
    }
    dualOptimize();
}

void Solver::setConstant(ConstraintId id, double constant) {
    ConstraintInfo& info = constraints_.at(id);
    const double old = info.expression.constant;
    const double delta = constant - old;
    if (delta == 0.0) {
        return;
    }
    if (info.tag.marker.isDummy() && isBasic(info.tag.marker)) {
        // A required equality that is implied by the others: its new constant either
        // agrees with them or contradicts them, which only adding it again can tell.
        ConstraintInfo changed = info;
        changed.expression.constant = constant;
        ConstraintInfo previous = info;
        removeConstraint(id);
        try {
            installConstraint(id, std::move(changed));
        } catch (const UnsatisfiableConstraint&) {
            installConstraint(id, std::move(previous));
            throw;
        }
        return;
    }
    const Tag tag = info.tag;
    info.expression.constant = constant;
    try {
        shiftMarker(tag, delta);
    } catch (const UnsatisfiableConstraint&) {
        constraints_.at(id).expression.constant = old;
        shiftMarker(tag, -delta);
        throw;
    }
    optimize(objective_);
}

} // namespace cassowary
