// Interval expansion of a set of differential equations.
#include "IntervalExpansion.h"

#include "CalculusScan.h"
#include "Reporter.h"
#include "VariableCopies.h"

#include <string>
#include <vector>

namespace varnel {

namespace {
/// The first size check, on the set as written: 10 copies of the equations and 22 of the
/// variables (every variable and a derivative at 11 points) must fit the tables.
constexpr int kEquationFactor = 10;
constexpr int kVariableFactor = 22;
} // namespace

bool expandIntervals(EquationSet& set, double deltaT, Reporter& reporter, ExpansionLayout& layout)
{
    const CalculusScan scan = scanCalculus(set, reporter);
    if (scan.error) {
        reportCalculusError(reporter, message::SyntaxErrorNoChanges);
        return false;
    }
    reporter.send("Number of Intervals: ");
    reporter.sendf("%d", kExpansionIntervals);
    reporter.send("\n");

    const int n = set.variables.count();
    const int m = set.equationCount();
    const int s = static_cast<int>(scan.states.size());
    const int timed = scan.independent != 0 ? 1 : 0;
    const int variables = kExpansionPoints * (n + s);
    const int equations = kExpansionPoints * m + kExpansionIntervals * (s + timed) + (s + timed);
    if (kEquationFactor * m > kMaxEquations || kVariableFactor * n > kMaxVariables ||
        equations > kMaxEquations || variables > kMaxVariables) {
        reportCalculusError(reporter, message::IllegalNumber);
        return false;
    }

    EquationSet out;
    CopyNames names(out.variables);
    for (int c = 0; c < kExpansionPoints; ++c) {
        for (int v = 1; v <= n; ++v) {
            const auto k = static_cast<std::size_t>(v);
            const auto copy = static_cast<std::size_t>(out.variables.add(
                names.make(set.variables.names[k], std::to_string(c)), set.variables.values[k]));
            out.variables.lower[copy] = set.variables.lower[k];
            out.variables.upper[copy] = set.variables.upper[k];
        }
    }
    const auto un = static_cast<std::uint32_t>(n);
    const auto us = static_cast<std::uint32_t>(s);
    // derivativeAt(j, c): the derivative of the j-th state (0-based) at point c.
    const auto derivativeAt = [&](std::uint32_t j, int c) {
        return static_cast<std::uint32_t>(kExpansionPoints) * un +
               us * static_cast<std::uint32_t>(c) + j + 1;
    };
    for (int c = 0; c < kExpansionPoints; ++c)
        for (std::uint32_t x : scan.states)
            out.variables.add(
                names.make(set.variables.names[x] + kDerivativeSuffix, std::to_string(c)), 0.0);

    layout.userVariableCount = n;
    ExpansionLayout at = layout;
    for (int c = 0; c < kExpansionPoints; ++c) {
        std::vector<std::uint32_t> variableMap(un + 1, 0);
        std::vector<std::uint32_t> derivativeMap(un + 1, 0);
        for (std::uint32_t v = 1; v <= un; ++v)
            variableMap[v] = at.copyOf(v, c);
        for (std::uint32_t j = 0; j < us; ++j)
            derivativeMap[scan.states[j]] = derivativeAt(j, c);
        for (const Equation& e : set.equations)
            out.equations.push_back({copyOntoVariables(e.code, variableMap, derivativeMap),
                                     e.relation, e.eliminate == 0 ? 0 : variableMap[e.eliminate]});
    }
    for (int k = 1; k < kExpansionPoints; ++k) {
        for (std::uint32_t j = 0; j < us; ++j) {
            const std::uint32_t x = scan.states[j];
            out.equations.push_back(
                {stepEquation(at.copyOf(x, k), at.copyOf(x, k - 1), 0.5 * deltaT,
                              derivativeAt(j, k), derivativeAt(j, k - 1)),
                 '=', 0});
        }
        if (timed != 0) {
            const std::uint32_t t = scan.independent;
            out.equations.push_back(
                {advanceEquation(at.copyOf(t, k), at.copyOf(t, k - 1), deltaT), '=', 0});
        }
    }
    for (std::uint32_t x : scan.states)
        out.equations.push_back({fixingEquation(at.copyOf(x, 0), set.variables.values[x]), '=', 0});
    if (timed != 0)
        out.equations.push_back(
            {fixingEquation(at.copyOf(scan.independent, 0), set.variables.values[scan.independent]),
             '=', 0});

    set = std::move(out);
    return true;
}

} // namespace varnel
