// The equation set of one run: the equations (internal code, relation character,
// variable to eliminate) and the variable table (names, values, starting ranges).
// Equations and variables are numbered from 1; slot 0 of every variable vector is
// unused so that an X token's index addresses its value directly.
#pragma once

#include "Code.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varnel {

constexpr int kMaxEquations = 2000;
constexpr int kMaxVariables = 2000;
constexpr int kMaxNameLength = 33;

struct Equation {
    Chain code;                  // postfix order, ends in ";"
    std::uint8_t relation = ' '; // '=', '<', '>', 0xBB, 0x85, or blank
    std::uint32_t eliminate = 0; // variable to eliminate, 0 when none
};

class VariableTable {
public:
    VariableTable() { clear(); }

    int count() const { return static_cast<int>(names.size()) - 1; }
    /// Appends a variable (name cut to 33 characters) and returns its number.
    int add(const std::string& name, double value = 0.0);
    /// Number of the variable called `name`, or 0.
    int find(const std::string& name) const;
    /// Drops the variables numbered above `n`.
    void truncate(int n);
    void clear();

    std::vector<std::string> names; // names[k]: variable k
    std::vector<double> values;     // values[k]: current value of variable k
    std::vector<double> lower;      // starting range of variable k
    std::vector<double> upper;
};

struct EquationSet {
    std::vector<Equation> equations; // equations[i - 1] is equation i
    VariableTable variables;

    int equationCount() const { return static_cast<int>(equations.size()); }
    Equation& equation(int i) { return equations[static_cast<std::size_t>(i - 1)]; }
    const Equation& equation(int i) const { return equations[static_cast<std::size_t>(i - 1)]; }
    void clear()
    {
        equations.clear();
        variables.clear();
    }
};

} // namespace varnel
