// Elimination order, pivots, groups and the singularity messages of the equation
// ordering, on linear systems whose Jacobian is their coefficient matrix.
#include "EquationOrdering.h"

#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

using namespace varnel;
using varnel::test::TranscriptHost;

namespace {

// One equation: (variable, coefficient) in order of first occurrence.
using Equation = std::vector<std::pair<int, double>>;

// A linear system loaded into a sparse matrix the way the Jacobian reader does it.
struct LinearSystem {
    SparseMatrix matrix;
    EquationOrdering ordering;
    std::vector<double> coefficient; // by entry index
    std::vector<int> evaluatedGroups;

    explicit LinearSystem(const std::vector<Equation>& equations)
    {
        matrix.reset(static_cast<int>(equations.size()));
        for (std::size_t i = 0; i < equations.size(); ++i)
            for (const auto& [variable, a] : equations[i]) {
                const int e = matrix.add(static_cast<int>(i) + 1, variable);
                coefficient.resize(e + 1);
                coefficient[e] = a;
            }
    }
    void evaluateRow(int row)
    {
        for (int e = matrix.rowHead(row); e >= 0; e = matrix.entry(e).nextInRow)
            if (!matrix.entry(e).fillIn)
                matrix.entry(e).value = coefficient[e];
    }
    bool analyse(Reporter& reporter, bool tryingIfMasks = false, int* errorEquation = nullptr)
    {
        evaluatedGroups.clear();
        return ordering.analyseSystem(
            matrix,
            [&] {
                for (int i = 1; i <= matrix.size(); ++i)
                    evaluateRow(i);
            },
            [&](int g) {
                evaluatedGroups.push_back(g);
                for (int k = ordering.groupFirst(g); k <= ordering.groupLast(g); ++k)
                    evaluateRow(ordering.equationAt(k));
            },
            reporter, tryingIfMasks, errorEquation);
    }
    // Equations of every group, each group as a set.
    std::vector<std::set<int>> groups() const
    {
        std::vector<std::set<int>> result;
        for (int g = 1; g <= ordering.groupCount(); ++g) {
            std::set<int>& members = result.emplace_back();
            for (int k = ordering.groupFirst(g); k <= ordering.groupLast(g); ++k)
                members.insert(ordering.equationAt(k));
        }
        return result;
    }
};

TEST(EquationOrdering, GroupsAndSingularities)
{
    // A hub equation that is the sum of eleven others: 11 x1 + 10 (x2 + ... + x12).
    std::vector<Equation> hub(12);
    hub[0].emplace_back(1, 11.0);
    for (int i = 2; i <= 12; ++i) {
        hub[0].emplace_back(i, 10.0);
        hub[i - 1] = {{i, 10.0}, {1, 1.0}};
    }
    struct Case {
        const char* name;
        std::vector<Equation> equations;
        bool ok;
        std::vector<std::set<int>> groups; // when ok
        int errorEquation;                 // when not ok
        const char* transcript;
    };
    const Case cases[] = {
        {"two independent subsystems",
         {{{1, 1}, {2, 1}}, {{3, 1}, {4, -1}}, {{1, 1}, {2, -1}}, {{3, 2}, {4, 1}}},
         true,
         {{1, 3}, {2, 4}},
         0,
         "   4 equations solvable in    2 groups\n"},
        {"x + y = 1, 2x + 2y = 2",
         {{{1, 1}, {2, 1}}, {{1, 2}, {2, 2}}},
         false,
         {},
         2,
         "   2 equations solvable in    1 groups\nEquation    2 Depends on Other "
         "Equations<BEEP>\nError ..."},
        {"an equation without a variable",
         {{{1, 1}}, {}},
         false,
         {},
         2,
         "Equation    2 is Singular or Inconsistent<BEEP>\nError ..."},
        {"two equations in one variable",
         {{{1, 3}}, {{1, 1}}},
         false,
         {},
         2,
         "Equation    2 is Singular or Inconsistent<BEEP>\nError ..."},
        {"fully coupled three",
         {{{1, 1}, {2, 1}, {3, 1}}, {{1, 1}, {2, -1}, {3, 2}}, {{1, 2}, {2, 1}, {3, -1}}},
         true,
         {{1, 2, 3}},
         0,
         "   3 equations solvable in    1 groups\n"},
        {"x = 1, y = x + 1",
         {{{1, 1}}, {{2, 1}, {1, -1}}},
         true,
         {{1}, {2}},
         0,
         "   2 equations solvable in    2 groups\n"},
        {"y = x + 1, x = 1 (listed the other way round)",
         {{{2, 1}, {1, -1}}, {{1, 1}}},
         true,
         {{2}, {1}},
         0,
         "   2 equations solvable in    2 groups\n"},
        {"a triangular chain",
         {{{3, 1}, {2, 1}, {1, 1}}, {{1, 1}}, {{2, 1}, {1, 1}}},
         true,
         {{2}, {3}, {1}},
         0,
         "   3 equations solvable in    3 groups\n"},
        {"a coupled pair feeding a single equation",
         {{{3, 1}, {1, 1}, {2, 1}}, {{1, 2}, {2, 1}}, {{1, 1}, {2, 3}}},
         true,
         {{2, 3}, {1}},
         0,
         "   3 equations solvable in    2 groups\n"},
        // Equation 1 pivots on x3 (equal magnitudes: the later entry); equations 2 and 3
        // then move to the front of their bucket in that order, so 3 is ordered second
        // and 2, reduced to zeros, last.
        {"numerically dependent inside a larger group",
         {{{1, 1}, {2, 1}, {3, 1}}, {{1, 1}, {2, 2}, {3, 3}}, {{1, 2}, {2, 3}, {3, 4}}},
         false,
         {},
         2,
         "   3 equations solvable in    1 groups\nEquation    2 Depends on Other "
         "Equations<BEEP>\nError ..."},
        // After ten eliminations the hub is down to two unassigned entries and moves to
        // the front of that bucket, ahead of equation 12, which is then left with zeros.
        {"a hub equation depending on all others",
         hub,
         false,
         {},
         12,
         "  12 equations solvable in    1 groups\nEquation   12 Depends on Other "
         "Equations<BEEP>\nError ..."},
        {"no equations", {}, true, {}, 0, "   0 equations solvable in    0 groups\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptHost host;
        Reporter reporter;
        LinearSystem system(c.equations);
        int errorEquation = 0;
        EXPECT_EQ(system.analyse(reporter, false, &errorEquation), c.ok);
        EXPECT_EQ(host.log, c.transcript);
        EXPECT_EQ(system.ordering.singular(), !c.ok);
        EXPECT_EQ(reporter.runError, !c.ok);
        EXPECT_EQ(errorEquation, c.errorEquation);
        if (!c.ok)
            continue;
        EXPECT_EQ(system.groups(), c.groups);
        std::vector<int> everyGroup;
        for (int g = 1; g <= system.ordering.groupCount(); ++g)
            everyGroup.push_back(g);
        EXPECT_EQ(system.evaluatedGroups, everyGroup);
    }
}

TEST(EquationOrdering, SingularityWhileTryingIfMasksOnlyBeeps)
{
    TranscriptHost host;
    Reporter reporter;
    LinearSystem system({{{1, 1}, {2, 1}}, {{1, 2}, {2, 2}}});
    int errorEquation = 0;
    EXPECT_FALSE(system.analyse(reporter, true, &errorEquation));
    EXPECT_EQ(
        host.log,
        "   2 equations solvable in    1 groups\nEquation    2 Depends on Other Equations<BEEP>");
    EXPECT_TRUE(reporter.runError);
    EXPECT_TRUE(system.ordering.singular());
    EXPECT_EQ(errorEquation, 2);
}

TEST(EquationOrdering, RunErrorStopsThePass)
{
    TranscriptHost host;
    Reporter reporter;
    reporter.runError = true;
    LinearSystem system({{{1, 1}}});
    EXPECT_FALSE(system.analyse(reporter));
    EXPECT_EQ(host.log, "");
    EXPECT_FALSE(system.ordering.singular());
}

// The pivot of an equation is its entry of largest magnitude at the group's values;
// of two equal magnitudes the later entry of the row wins.
TEST(EquationOrdering, NumericPivotChoice)
{
    struct Case {
        const char* name;
        std::vector<Equation> equations;
        std::vector<std::pair<int, int>> pivots; // (equation, variable)
    };
    const Case cases[] = {
        {"largest magnitude", {{{1, -5}, {2, 1}}, {{1, 1}, {2, 1}}}, {{1, 1}, {2, 2}}},
        {"tie: later entry", {{{1, 1}, {2, -1}}, {{1, 1}, {2, 1}}}, {{1, 2}, {2, 1}}},
        {"tie in listing order 2, 1", {{{2, 1}, {1, 1}}, {{1, 1}, {2, -1}}}, {{1, 1}, {2, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptHost host;
        Reporter reporter;
        LinearSystem system(c.equations);
        ASSERT_TRUE(system.analyse(reporter));
        for (const auto& [equation, variable] : c.pivots) {
            const int k = system.ordering.positionOfEquation(equation);
            EXPECT_EQ(system.ordering.variableAt(k), variable);
            EXPECT_EQ(system.ordering.positionOfVariable(variable), k);
            const int d = system.matrix.diagonal(equation);
            ASSERT_GE(d, 0);
            EXPECT_EQ(system.matrix.entry(d).column, variable);
        }
    }
}

// Cyclic system x_k + 2 x_{k+1} over n equations: one group of n reached through a
// chain of n depth-first steps, and the orderings of a band and of an arrowhead
// create no fill-in.
TEST(EquationOrdering, LargeStructures)
{
    const int n = 2000;
    std::vector<Equation> cyclic(n), band(n), arrow(n);
    for (int i = 1; i <= n; ++i) {
        cyclic[i - 1] = {{i, 3}, {i % n + 1, 1}};
        band[i - 1] = {{i, 4}};
        if (i > 1)
            band[i - 1].emplace_back(i - 1, 1);
        if (i < n)
            band[i - 1].emplace_back(i + 1, 1);
        arrow[i - 1] = {{1, 1}, {i, 10}};
    }
    for (int j = 2; j <= n; ++j)
        arrow[0].emplace_back(j, 1);
    arrow[0][0].second = 1e4;
    arrow[0].erase(arrow[0].begin() + 1); // (1, 1) listed once

    struct Case {
        const char* name;
        const std::vector<Equation>& equations;
        int groups;
    };
    const Case cases[] = {{"cyclic", cyclic, 1}, {"tridiagonal", band, 1}, {"arrowhead", arrow, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptHost host;
        Reporter reporter;
        LinearSystem system(c.equations);
        ASSERT_TRUE(system.analyse(reporter));
        EXPECT_EQ(system.ordering.groupCount(), c.groups);
        if (c.name != std::string("cyclic")) {
            EXPECT_EQ(system.matrix.fillInCount(), 0);
        }
        // A second analysis starts from the bare structure and repeats the first.
        std::vector<int> order;
        for (int k = 1; k <= n; ++k)
            order.push_back(system.ordering.equationAt(k));
        const int fill = system.matrix.fillInCount();
        ASSERT_TRUE(system.analyse(reporter));
        EXPECT_EQ(system.matrix.fillInCount(), fill);
        for (int k = 1; k <= n; ++k)
            EXPECT_EQ(system.ordering.equationAt(k), order[k - 1]);
    }
}

// Every position is taken once, each equation's pivot is one of its own variables or a
// fill-in of it, and groups are contiguous and only look back to earlier groups.
TEST(EquationOrdering, PositionsAndGroupsAreConsistent)
{
    const std::vector<Equation> equations = {
        {{1, 1}, {4, 1}}, {{2, 1}, {3, 1}}, {{3, 1}, {2, -1}, {5, 1}},
        {{4, 2}, {1, 1}}, {{5, 1}},         {{6, 1}, {1, 1}, {2, 1}}};
    TranscriptHost host;
    Reporter reporter;
    LinearSystem system(equations);
    ASSERT_TRUE(system.analyse(reporter));
    const EquationOrdering& o = system.ordering;
    const int n = static_cast<int>(equations.size());
    std::set<int> rows, columns;
    for (int k = 1; k <= n; ++k) {
        rows.insert(o.equationAt(k));
        columns.insert(o.variableAt(k));
        EXPECT_EQ(o.positionOfEquation(o.equationAt(k)), k);
        EXPECT_EQ(o.positionOfVariable(o.variableAt(k)), k);
    }
    EXPECT_EQ(static_cast<int>(rows.size()), n);
    EXPECT_EQ(static_cast<int>(columns.size()), n);
    EXPECT_EQ(o.groupFirst(1), 1);
    EXPECT_EQ(o.groupLast(o.groupCount()), n);
    for (int g = 1; g <= o.groupCount(); ++g) {
        if (g > 1) {
            EXPECT_EQ(o.groupFirst(g), o.groupLast(g - 1) + 1);
        }
        for (int k = o.groupFirst(g); k <= o.groupLast(g); ++k) {
            const int row = o.equationAt(k);
            EXPECT_EQ(o.groupOfEquation(row), g);
            for (int e = system.matrix.rowHead(row); e >= 0; e = system.matrix.entry(e).nextInRow) {
                const int owner = o.equationAt(o.positionOfVariable(system.matrix.entry(e).column));
                EXPECT_LE(o.groupOfEquation(owner), g);
            }
        }
    }
    // Elimination order 5, 3, 2, 6, 1, 4. Equation 6 is ordered before equations 1 and 4
    // and reaches them through x1, so the search started from it takes them in.
    EXPECT_EQ(system.groups(), (std::vector<std::set<int>>{{5}, {2, 3}, {1, 4, 6}}));
    std::vector<int> order;
    for (int k = 1; k <= n; ++k)
        order.push_back(o.equationAt(k));
    EXPECT_EQ(order[0], 5);
}

} // namespace
