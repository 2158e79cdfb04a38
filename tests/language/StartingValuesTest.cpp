// Starting values: random starts in the run's range, starting-value statements that fix a
// variable and leave the set, equations in one variable solved by one residual step, the
// failure values, the report pieces, and the closing of the gaps.
#include "StartingValues.h"

#include "EquationFile.h"
#include "Evaluator.h"
#include "ExpressionBuilders.h"
#include "GuardedMath.h"
#include "Reporter.h"
#include "TextFile.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace varnel {
namespace {

using namespace test;

/// A statement L relation R as the parser stores it: L, R, B"-", ";".
Equation statement(const Expr& left, std::uint8_t relation, const Expr& right)
{
    Equation eq;
    eq.code = bin('-', left, right).code;
    eq.code.push_back(makeToken(kind::End, ' ', 0, 0.0));
    eq.relation = relation;
    return eq;
}

/// A generator that plays back fixed integers, cycling.
struct Playback {
    std::vector<int> values;
    std::size_t next = 0;
    int operator()() { return values[next++ % values.size()]; }
};

constexpr std::uint8_t kStart = kStartingValueRelation;
const std::uint32_t x = 1;
const std::uint32_t y = 2;

/// The statements of `text` read as an equation file's working copy would be.
EquationSet readText(const std::string& text)
{
    test::TempDir dir;
    test::writeFile(dir / "eq.TMP", text);
    EquationSet set;
    TranscriptHost host;
    Reporter reporter;
    ParseState state;
    TextFile source;
    TextFile::setQuiet(true); // the reader's look-ahead runs into the end of the file
    EXPECT_TRUE(source.openRead((dir / "eq.TMP").string()));
    EXPECT_TRUE(readStatements(source, false, dir.path().string(), set, reporter, state))
        << host.log;
    source.close();
    TextFile::setQuiet(false);
    return set;
}

/// The number of the variable called `name` (0 when there is none).
std::uint32_t variableNamed(const EquationSet& set, const std::string& name)
{
    for (int k = 1; k <= set.variables.count(); ++k) {
        if (set.variables.names[static_cast<std::size_t>(k)] == name)
            return static_cast<std::uint32_t>(k);
    }
    return 0;
}

EquationSet makeSet(std::vector<Equation> equations, int variables = 2)
{
    EquationSet set;
    set.variables.add("x");
    if (variables > 1)
        set.variables.add("y");
    set.equations = std::move(equations);
    return set;
}

TEST(StartingValues, RandomStartsLieInTheRangeAndFillIt)
{
    TranscriptHost host;
    Reporter reporter;
    Evaluator evaluator(reporter);
    EquationSet set;
    for (int k = 0; k < 6; ++k)
        set.variables.add("v" + std::to_string(k));
    Playback random{{0, 32767, 16384, 1, 32766, 7}};
    std::function<int()> generator = [&] { return random(); };

    EXPECT_EQ(setStartingValues(set, 0.1, 1.0, generator, evaluator, reporter), 0);
    for (int k = 1; k <= 6; ++k) {
        const double v = set.variables.values[k];
        EXPECT_GE(v, 0.1);
        EXPECT_LE(v, 1.0 + 1e-12);
        EXPECT_EQ(set.variables.lower[k], 0.1);
        EXPECT_EQ(set.variables.upper[k], 1.0);
    }
    EXPECT_DOUBLE_EQ(set.variables.values[1], 0.1);
    EXPECT_NEAR(set.variables.values[2], 1.0, 1e-12);
    EXPECT_NEAR(set.variables.values[3], 0.1 + 0.9 * 16384.0 / 32767.0, 1e-12);
}

TEST(StartingValues, ReportsEachValueAsItsOwnPiece)
{
    TranscriptHost host;
    Reporter reporter;
    Evaluator evaluator(reporter);
    // x 0xBB 2*3 fixes x at 6; y keeps its random start.
    EquationSet set = makeSet({statement(var(x), kStart, num(2) * num(3))});
    Playback random{{0, 32767}};
    EXPECT_EQ(setStartingValues(
                  set, -1.0, 3.0, [&] { return random(); }, evaluator, reporter),
              1);
    const std::vector<std::string> expected = {
        "Initial Values:\n", " -1.000000", "  3.000000", "\n", "Variables after initialization:\n",
        "  6.000000",        "  3.000000", "\n"};
    EXPECT_EQ(host.pieces, expected);
}

struct Case {
    const char* name;
    std::vector<Equation> equations;
    int random;            // generator value for both variables
    double x;              // expected value of x afterwards
    double xLower, xUpper; // expected range of x
    int statements;        // starting-value statements counted
    int remaining;         // equations left
    bool prematureReport;  // "Equation ended prematurely, syntax error " sent
};

/// BIG and UNDEFINED exactly (UNDEFINED is within any tolerance of 0), others closely.
void expectValue(double actual, double expected)
{
    if (expected == BIG || expected == UNDEFINED)
        EXPECT_EQ(actual, expected);
    else
        EXPECT_NEAR(actual, expected, 1e-12);
}

TEST(StartingValues, StatementsAndOneVariableEquations)
{
    // The random start of x for generator value 16384 in [0, 2].
    const double x0 = 2.0 * 16384 * kRandomScale;
    Equation twoValuesLeft;
    twoValuesLeft.code = {makeVariable(x), makeConstant(2), makeConstant(3),
                          makeToken(kind::End, ' ', 0, 0.0)};
    twoValuesLeft.relation = kStart;
    Equation undefinedStart = statement(var(x), kStart, num(0));
    undefinedStart.code[1] = makeToken(kind::Constant, form::Undefined, 0, UNDEFINED);

    const Case cases[] = {
        {"start 2*3", {statement(var(x), kStart, num(2) * num(3))}, 16384, 6, 6, 6, 1, 0, false},
        {"x = 5 stays", {statement(var(x), '=', num(5))}, 16384, 5, 0, 2, 0, 1, false},
        {"x*2 = 5 is one step",
         {statement(var(x) * num(2), '=', num(5))},
         16384,
         5 - x0,
         0,
         2,
         0,
         1,
         false},
        {"2*x = 5 untouched",
         {statement(num(2) * var(x), '=', num(5))},
         16384,
         x0,
         0,
         2,
         0,
         1,
         false},
        {"x = y untouched", {statement(var(x), '=', var(y))}, 16384, x0, 0, 2, 0, 1, false},
        {"inequality in x", {statement(var(x), '<', num(1.5))}, 16384, 1.5, 0, 2, 0, 1, false},
        {"failed start gives 0",
         {statement(var(x), kStart, un('I', num(0)))},
         16384,
         0,
         0,
         0,
         1,
         0,
         false},
        {"two values left gives 0", {twoValuesLeft}, 16384, 0, 0, 0, 1, 0, true},
        {"failed equation gives 0.5",
         {statement(var(x), '=', un('L', num(0)))},
         16384,
         0.5,
         0,
         2,
         0,
         1,
         false},
        {"BIG start", {statement(var(x), kStart, num(1e60))}, 16384, BIG, BIG, BIG, 1, 0, false},
        {"UNDEFINED start", {undefinedStart}, 16384, UNDEFINED, UNDEFINED, UNDEFINED, 1, 0, false},
        {"later statement wins",
         {statement(var(x), '=', num(5)), statement(var(x), kStart, num(3))},
         16384,
         3,
         3,
         3,
         1,
         1,
         false},
        {"start from y's start",
         {statement(var(y), kStart, num(4)), statement(var(x), kStart, var(y) + num(1))},
         16384,
         5,
         5,
         5,
         2,
         0,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptHost host;
        Reporter reporter;
        Evaluator evaluator(reporter);
        EquationSet set = makeSet(c.equations);
        const int statements = setStartingValues(
            set, 0.0, 2.0, [&] { return c.random; }, evaluator, reporter);
        EXPECT_EQ(statements, c.statements);
        EXPECT_EQ(set.equationCount(), c.remaining);
        expectValue(set.variables.values[x], c.x);
        expectValue(set.variables.lower[x], c.xLower);
        expectValue(set.variables.upper[x], c.xUpper);
        const bool premature =
            host.log.find("Equation ended prematurely, syntax error ") != std::string::npos;
        EXPECT_EQ(premature, c.prematureReport);
    }
}

TEST(StartingValues, ClosingTheGapsKeepsOrderAndRelations)
{
    TranscriptHost host;
    Reporter reporter;
    Evaluator evaluator(reporter);
    const Equation first = statement(var(x) + var(y), '=', num(1));
    const Equation second = statement(var(x), '<', var(y));
    const Equation third = statement(var(y) * var(x), '>', num(2));
    EquationSet set =
        makeSet({statement(var(y), kStart, num(1)), first, statement(var(x), kStart, num(2)),
                 second, third, statement(var(y), kStart, num(3))});
    EXPECT_EQ(setStartingValues(
                  set, 0.0, 1.0, [] { return 0; }, evaluator, reporter),
              3);
    ASSERT_EQ(set.equationCount(), 3);
    EXPECT_EQ(set.equation(1).code, first.code);
    EXPECT_EQ(set.equation(1).relation, '=');
    EXPECT_EQ(set.equation(2).code, second.code);
    EXPECT_EQ(set.equation(2).relation, '<');
    EXPECT_EQ(set.equation(3).code, third.code);
    EXPECT_EQ(set.equation(3).relation, '>');
    EXPECT_DOUBLE_EQ(set.variables.values[x], 2);
    EXPECT_DOUBLE_EQ(set.variables.values[y], 3);
}

TEST(StartingValues, ReadStatements)
{
    // Every random start is 0.1: x is fixed at 6, y takes one step of its equation,
    // z keeps its start, and only the starting-value statement leaves the set.
    EquationSet set = readText("x \xBB 2*3;\n y*2 = 5;\n z = y + x;\n 2*z = 1;\n");
    ASSERT_EQ(set.equationCount(), 4);
    TranscriptHost host;
    Reporter reporter;
    Evaluator evaluator(reporter);
    EXPECT_EQ(setStartingValues(
                  set, 0.1, 1.0, [] { return 0; }, evaluator, reporter),
              1);
    const std::uint32_t vx = variableNamed(set, "x"), vy = variableNamed(set, "y"),
                        vz = variableNamed(set, "z");
    EXPECT_NEAR(set.variables.values[vx], 6, 1e-12);
    EXPECT_NEAR(set.variables.lower[vx], 6, 1e-12);
    EXPECT_NEAR(set.variables.values[vy], 5 - 0.1, 1e-12);
    EXPECT_EQ(set.variables.values[vz], 0.1);
    ASSERT_EQ(set.equationCount(), 3);
    EXPECT_EQ(set.equation(1).relation, '=');
}

} // namespace
} // namespace varnel
