#pragma once

#include <cstdint>
#include <stdexcept>
#include <vector>

// The vocabulary of the linear constraint solver: variables, linear expressions,
// relations and priorities. A variable is a plain handle made by the solver; its value
// is read back from the solver after solving.
namespace cassowary {

struct Variable {
    std::uint32_t id = 0;
    bool isValid() const { return id != 0; }
    friend bool operator==(Variable, Variable) = default;
};

struct Term {
    Variable variable;
    double coefficient = 1;
};

// sum(coefficient * variable) + constant
struct Expression {
    std::vector<Term> terms;
    double constant = 0;

    Expression() = default;
    Expression(double value) : constant(value) {}
    Expression(Variable variable, double coefficient = 1, double value = 0)
        : terms{{variable, coefficient}}, constant(value) {}

    Expression& add(Variable variable, double coefficient) {
        terms.push_back({variable, coefficient});
        return *this;
    }
    Expression& add(const Expression& other, double multiplier = 1) {
        for (const Term& term : other.terms) {
            terms.push_back({term.variable, term.coefficient * multiplier});
        }
        constant += other.constant * multiplier;
        return *this;
    }
};

// The relation of a constraint `expression relation 0`.
enum class Relation { lessThanOrEqual, equal, greaterThanOrEqual };

// Priorities run from 1 to 1000, as in the view layer; 1000 is required (never broken),
// the others are preferences weighed against each other, higher ones much heavier.
namespace Priority {
inline constexpr double required = 1000;
inline constexpr double high = 750;
inline constexpr double medium = 500;
inline constexpr double low = 250;
} // namespace Priority

using ConstraintId = std::uint32_t;

// A required constraint that contradicts the required constraints already present.
class UnsatisfiableConstraint : public std::runtime_error {
  public:
    UnsatisfiableConstraint() : std::runtime_error("unsatisfiable required constraint") {}
};

// The solver's internal state became inconsistent (a bug, or numbers out of range).
class InternalSolverError : public std::logic_error {
  public:
    using std::logic_error::logic_error;
};

} // namespace cassowary
