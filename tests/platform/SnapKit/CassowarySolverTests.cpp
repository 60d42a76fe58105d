#include "platform/SnapKit/CassowarySolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace cassowary;

namespace {

Expression difference(Variable a, Variable b, double constant = 0) {
    // a - b + constant
    Expression expression(a);
    expression.add(b, -1);
    expression.constant = constant;
    return expression;
}

} // namespace

TEST(CassowarySolver, SolvesRequiredEqualitiesAndInequalities) {
    Solver solver;
    Variable x = solver.makeVariable();
    Variable y = solver.makeVariable();
    solver.addConstraint(Expression(x, 1, -10), Relation::equal, Priority::required);
    solver.addConstraint(difference(y, x, -5), Relation::equal, Priority::required);
    EXPECT_DOUBLE_EQ(solver.value(x), 10);
    EXPECT_DOUBLE_EQ(solver.value(y), 15);

    Variable z = solver.makeVariable();
    solver.addConstraint(Expression(z, 1, -100), Relation::greaterThanOrEqual, Priority::required);
    solver.addConstraint(Expression(z, 1, -50), Relation::equal, Priority::low);
    EXPECT_DOUBLE_EQ(solver.value(z), 100);
}

TEST(CassowarySolver, HigherPriorityWinsAndRemovalRestoresTheOther) {
    Solver solver;
    Variable x = solver.makeVariable();
    auto low = solver.addConstraint(Expression(x, 1, -10), Relation::equal, 700);
    auto high = solver.addConstraint(Expression(x, 1, -20), Relation::equal, 800);
    EXPECT_DOUBLE_EQ(solver.value(x), 20);
    solver.removeConstraint(high);
    EXPECT_DOUBLE_EQ(solver.value(x), 10);
    solver.removeConstraint(low);
    EXPECT_EQ(solver.constraintCount(), 0u);
    EXPECT_EQ(solver.rowCount(), 0u);
}

TEST(CassowarySolver, ContradictoryRequiredConstraintIsRefusedAndLeavesTheSolverIntact) {
    Solver solver;
    Variable x = solver.makeVariable();
    Variable y = solver.makeVariable();
    solver.addConstraint(Expression(x, 1, -10), Relation::equal, Priority::required);
    solver.addConstraint(difference(y, x), Relation::greaterThanOrEqual, Priority::required);
    EXPECT_THROW(solver.addConstraint(Expression(x, 1, -30), Relation::equal, Priority::required),
                 UnsatisfiableConstraint);
    EXPECT_THROW(solver.addConstraint(Expression(y, 1, -5), Relation::lessThanOrEqual, Priority::required),
                 UnsatisfiableConstraint);
    EXPECT_EQ(solver.constraintCount(), 2u);
    solver.addConstraint(Expression(y, 1, -40), Relation::equal, Priority::medium);
    EXPECT_DOUBLE_EQ(solver.value(x), 10);
    EXPECT_DOUBLE_EQ(solver.value(y), 40);
}

TEST(CassowarySolver, ChangingAConstantMovesTheSolution) {
    Solver solver;
    Variable left = solver.makeVariable();
    Variable width = solver.makeVariable();
    Variable right = solver.makeVariable();
    solver.addConstraint(Expression(left, 1, -16), Relation::equal, Priority::required);
    auto widthConstraint =
        solver.addConstraint(Expression(width, 1, -100), Relation::equal, Priority::required);
    Expression rightIsLeftPlusWidth(right);
    rightIsLeftPlusWidth.add(left, -1).add(width, -1);
    solver.addConstraint(rightIsLeftPlusWidth, Relation::equal, Priority::required);
    auto cap =
        solver.addConstraint(Expression(right, 1, -300), Relation::lessThanOrEqual, Priority::required);
    EXPECT_DOUBLE_EQ(solver.value(right), 116);

    solver.setConstant(widthConstraint, -250);
    EXPECT_DOUBLE_EQ(solver.value(width), 250);
    EXPECT_DOUBLE_EQ(solver.value(right), 266);

    // Width 400 would push the right edge past 300: refused, the old value stays.
    EXPECT_THROW(solver.setConstant(widthConstraint, -400), UnsatisfiableConstraint);
    EXPECT_DOUBLE_EQ(solver.constantOf(widthConstraint), -250);
    EXPECT_DOUBLE_EQ(solver.value(right), 266);

    solver.setConstant(cap, -500);
    solver.setConstant(widthConstraint, -400);
    EXPECT_DOUBLE_EQ(solver.value(right), 416);
}

TEST(CassowarySolver, ChangingARedundantEqualityChecksItAgainstTheOthers) {
    Solver solver;
    Variable x = solver.makeVariable();
    auto first = solver.addConstraint(Expression(x, 1, -10), Relation::equal, Priority::required);
    auto second = solver.addConstraint(Expression(x, 1, -10), Relation::equal, Priority::required);
    EXPECT_THROW(solver.setConstant(second, -20), UnsatisfiableConstraint);
    EXPECT_THROW(solver.setConstant(first, -20), UnsatisfiableConstraint);
    EXPECT_DOUBLE_EQ(solver.value(x), 10);
    solver.removeConstraint(first);
    solver.setConstant(second, -20);
    EXPECT_DOUBLE_EQ(solver.value(x), 20);
}

TEST(CassowarySolver, WeakPreferenceGivesWayToStrongerInequality) {
    Solver solver;
    Variable width = solver.makeVariable();
    // Hugging (<= 80 at 250) against compression resistance (>= 120 at 750).
    solver.addConstraint(Expression(width, 1, -80), Relation::lessThanOrEqual, 250);
    auto resistance = solver.addConstraint(Expression(width, 1, -120), Relation::greaterThanOrEqual, 750);
    EXPECT_DOUBLE_EQ(solver.value(width), 120);
    // Both can hold now: any width from 60 to 80 satisfies them.
    solver.setConstant(resistance, -60);
    EXPECT_GE(solver.value(width), 60);
    EXPECT_LE(solver.value(width), 80);
}

namespace {

struct RandomConstraint {
    Expression expression;
    Relation relation;
    double priority;
    ConstraintId id = 0;
};

double evaluate(const Solver& solver, const Expression& expression) {
    double total = expression.constant;
    for (const Term& term : expression.terms) {
        total += term.coefficient * solver.value(term.variable);
    }
    return total;
}

double violation(const Solver& solver, const RandomConstraint& constraint) {
    const double value = evaluate(solver, constraint.expression);
    switch (constraint.relation) {
    case Relation::equal:
        return std::fabs(value);
    case Relation::lessThanOrEqual:
        return std::max(0.0, value);
    case Relation::greaterThanOrEqual:
        return std::max(0.0, -value);
    }
    return 0;
}

// The weighted error of the preferences; required constraints must hold exactly.
double objective(const Solver& solver, const std::vector<RandomConstraint>& constraints) {
    double total = 0;
    for (const RandomConstraint& constraint : constraints) {
        const double error = violation(solver, constraint);
        if (constraint.priority >= Priority::required) {
            EXPECT_NEAR(error, 0, 1e-6);
        } else {
            total += Solver::weightOf(constraint.priority) * error;
        }
    }
    return total;
}

} // namespace

// Layout-like systems (chains of required offsets and inequalities between variables,
// with competing preferences): after many incremental constant changes and removals the
// solution must be as good as one computed from scratch.
TEST(CassowarySolver, IncrementalChangesReachTheSameOptimumAsAFreshSolve) {
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
        Solver incremental;
        std::vector<Variable> variables;
        std::vector<RandomConstraint> constraints;
        const int count = 12;
        for (int i = 0; i < count; ++i) {
            variables.push_back(incremental.makeVariable());
        }
        std::uniform_real_distribution<double> offset(-50, 50);
        std::uniform_int_distribution<int> pick(0, count - 1);
        std::uniform_int_distribution<int> kind(0, 3);
        std::uniform_int_distribution<int> priority(1, 999);
        constraints.push_back(
            {Expression(variables[0], 1, -offset(random)), Relation::equal, Priority::required});
        for (int i = 1; i < count; ++i) {
            const int previous = std::uniform_int_distribution<int>(0, i - 1)(random);
            const int which = kind(random);
            const Relation relation = which == 0   ? Relation::equal
                                      : which == 1 ? Relation::greaterThanOrEqual
                                                   : Relation::lessThanOrEqual;
            constraints.push_back({difference(variables[i], variables[previous], offset(random)), relation,
                                   which == 3 ? double(priority(random)) : Priority::required});
        }
        for (int i = 0; i < count; ++i) {
            constraints.push_back({Expression(variables[pick(random)], 1, offset(random) * 4),
                                   Relation::equal, double(priority(random))});
        }
        for (RandomConstraint& constraint : constraints) {
            constraint.id =
                incremental.addConstraint(constraint.expression, constraint.relation, constraint.priority);
        }
        for (int step = 0; step < 40; ++step) {
            RandomConstraint& changed =
                constraints[std::uniform_int_distribution<size_t>(0, constraints.size() - 1)(random)];
            const double constant = offset(random) * 3;
            try {
                incremental.setConstant(changed.id, constant);
                changed.expression.constant = constant;
            } catch (const UnsatisfiableConstraint&) {
                EXPECT_DOUBLE_EQ(incremental.constantOf(changed.id), changed.expression.constant);
            }
            if (step % 10 == 9) {
                const size_t index = std::uniform_int_distribution<size_t>(1, constraints.size() - 1)(random);
                incremental.removeConstraint(constraints[index].id);
                constraints.erase(constraints.begin() + static_cast<long>(index));
            }
        }
        const double incrementalCost = objective(incremental, constraints);

        Solver fresh;
        for (int i = 0; i < count; ++i) {
            fresh.makeVariable();
        }
        for (const RandomConstraint& constraint : constraints) {
            fresh.addConstraint(constraint.expression, constraint.relation, constraint.priority);
        }
        const double freshCost = objective(fresh, constraints);
        EXPECT_NEAR(incrementalCost, freshCost, 1e-6 * std::max(1.0, freshCost)) << "round " << round;
    }
}
