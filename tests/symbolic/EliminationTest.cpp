// Elimination by substitution, checked by value: every substituted system is evaluated at
// random points against the original equations with the eliminated variable put in from a
// closed form. Also the choice of variables, each failure with its message, the failed
// mark, the untouched equations after a failed step, and long or growing chains.
#include "Elimination.h"

#include "EquationFile.h"
#include "Evaluator.h"
#include "ExpressionBuilders.h"
#include "GuardedMath.h"
#include "Reporter.h"
#include "TextFile.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace varnel {
namespace {

using namespace test;

/// L relation R as the parser stores it (L, R, B"-", ";"), with an optional 0xA2 mark.
Equation statement(const Expr& left, std::uint8_t relation, const Expr& right,
                   std::uint32_t marked = 0)
{
    Equation eq;
    eq.code = stored(left - right);
    eq.relation = relation;
    eq.eliminate = marked;
    return eq;
}

constexpr std::uint8_t kElim = kEliminationRelation;
// Variables of the small sets: x, y, z, w.
const std::uint32_t x = 1, y = 2, z = 3, w = 4;

EquationSet makeSet(std::vector<Equation> equations, int variables = 4)
{
    static const char* names[] = {"x", "y", "z", "w"};
    EquationSet set;
    for (int k = 0; k < variables; ++k)
        set.variables.add(names[k]);
    set.equations = std::move(equations);
    return set;
}

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

/// Residuals of postfix chains at given values.
struct Probe {
    Reporter reporter;
    Evaluator evaluator{reporter};
    double operator()(const Chain& code, const std::vector<double>& values)
    {
        const double r = evaluator.evaluateReal(code, values.data());
        EXPECT_FALSE(evaluator.error().mark()) << evaluator.error().message();
        return r;
    }
};

bool uses(const Chain& code, std::uint32_t v)
{
    for (const Token& t : code) {
        if (t.kind == kind::Variable && t.index == v)
            return true;
    }
    return false;
}

/// The solution s of equation k after a substitution that left it reading v - s: its
/// residual at v = 0 is -s.
double solutionAt(Probe& probe, const Chain& code, std::uint32_t v, std::vector<double> values)
{
    values[v] = 0.0;
    return -probe(code, values);
}

std::vector<double> randomPoint(std::mt19937& rng, double lo, double hi, int variables = 4)
{
    std::uniform_real_distribution<double> d(lo, hi);
    std::vector<double> values(static_cast<std::size_t>(variables) + 1, 0.0);
    for (int k = 1; k <= variables; ++k)
        values[static_cast<std::size_t>(k)] = d(rng);
    return values;
}

// ---- Solving by peeling ---------------------------------------------------------------

struct PeelCase {
    const char* name;
    Expr left;                                   // left side in x and z; the right side is w
    std::function<double(double z, double w)> x; // closed form of the solution
    double lo, hi;                               // range of z and w
};

TEST(Elimination, PeelingSolvesEveryInvertibleForm)
{
    const Expr X = var(x), Z = var(z);
    const PeelCase cases[] = {
        {"x + z", X + Z, [](double zz, double ww) { return ww - zz; }, -2, 2},
        {"z + x", Z + X, [](double zz, double ww) { return ww - zz; }, -2, 2},
        {"x - z", X - Z, [](double zz, double ww) { return ww + zz; }, -2, 2},
        {"z - x", Z - X, [](double zz, double ww) { return zz - ww; }, -2, 2},
        {"x * z", X * Z, [](double zz, double ww) { return ww / zz; }, 0.5, 2},
        {"z * x", Z * X, [](double zz, double ww) { return ww / zz; }, 0.5, 2},
        {"x / z", X / Z, [](double zz, double ww) { return ww * zz; }, 0.5, 2},
        {"z / x", Z / X, [](double zz, double ww) { return zz / ww; }, 0.5, 2},
        {"x ^ z", X ^ Z, [](double zz, double ww) { return std::pow(ww, 1 / zz); }, 0.5, 2},
        {"z ^ x", Z ^ X, [](double zz, double ww) { return std::log(ww) / std::log(zz); }, 1.2, 3},
        {"SIN", un('S', X) * (Z + Z), [](double zz, double ww) { return std::asin(ww / (2 * zz)); },
         2, 3},
        {"COS", un('C', X) * (Z + Z), [](double zz, double ww) { return std::acos(ww / (2 * zz)); },
         2, 3},
        {"TAN", un('T', X), [](double, double ww) { return std::atan(ww); }, -2, 2},
        {"ARCSIN", un('s', X), [](double, double ww) { return std::sin(ww); }, -1.5, 1.5},
        {"ARCCOS", un('c', X), [](double, double ww) { return std::cos(ww); }, 0.1, 3},
        {"ARCTAN", un('t', X), [](double, double ww) { return std::tan(ww); }, -1.5, 1.5},
        {"EXP", un('E', X + Z), [](double zz, double ww) { return std::log(ww) - zz; }, 0.5, 2},
        {"LN", un('L', X), [](double, double ww) { return std::exp(ww); }, -2, 2},
        {"SQUARE", un('2', X), [](double, double ww) { return std::sqrt(ww); }, 0.1, 4},
        {"SQRT", un('Q', X), [](double, double ww) { return ww * ww; }, 0.1, 4},
        {"INV", un('I', X), [](double, double ww) { return 1 / ww; }, 0.5, 2},
        {"minus", -X, [](double, double ww) { return -ww; }, -2, 2},
        {"ABS", un('B', X), [](double, double ww) { return ww; }, 0.1, 2},
        {"nested", un('E', num(2) * X + num(1)) / Z,
         [](double zz, double ww) { return (std::log(ww * zz) - 1) / 2; }, 0.5, 2},
    };
    std::mt19937 rng(7);
    for (const PeelCase& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptHost host;
        Reporter reporter;
        EquationSet set = makeSet({statement(c.left, '=', var(w), x)});
        Elimination elimination(set, reporter);
        ASSERT_TRUE(elimination.run(false));
        EXPECT_FALSE(reporter.runError);
        EXPECT_EQ(set.equation(1).relation, '=');
        EXPECT_EQ(set.equation(1).eliminate, 0u);
        Probe probe;
        for (int i = 0; i < 5; ++i) {
            const std::vector<double> p = randomPoint(rng, c.lo, c.hi);
            EXPECT_NEAR(solutionAt(probe, set.equation(1).code, x, p), c.x(p[z], p[w]), 1e-9);
        }
    }
}

TEST(Elimination, ZeroRightSideAddsNoTerms)
{
    // SQUARE(y) = x gives SQRT(x) itself, the positive root; z - 3 = 0 gives 3.
    TranscriptHost host;
    Reporter reporter;
    EquationSet set = makeSet(
        {statement(un('2', var(y)), '=', var(x), y), statement(var(z) - num(3), '=', num(0), z)});
    Elimination elimination(set, reporter);
    ASSERT_TRUE(elimination.run(false));
    EXPECT_EQ(set.equation(1).code, stored(var(y) - un('Q', var(x))));
    EXPECT_EQ(set.equation(2).code, stored(var(z) - num(3)));
}

// ---- Substitution into the other equations ----------------------------------------------

TEST(Elimination, EliminationStatementSubstitutesIntoEveryOtherEquation)
{
    // y 0x85 2*x + 1;  x + y*y = 4;  SIN(y) + y/z < w
    const Equation defining = statement(var(y), kElim, num(2) * var(x) + num(1));
    const Equation first = statement(var(x) + var(y) * var(y), '=', num(4));
    const Equation second = statement(un('S', var(y)) + var(y) / var(z), '<', var(w));
    EquationSet set = makeSet({defining, first, second});
    const EquationSet original = set;
    TranscriptHost host;
    Reporter reporter;
    Elimination elimination(set, reporter);
    ASSERT_TRUE(elimination.run(false));
    EXPECT_FALSE(elimination.failed());
    EXPECT_EQ(host.pieces, (std::vector<std::string>{"Substituting ", "   1", "\n"}));
    EXPECT_EQ(set.equation(1).relation, kElim);
    EXPECT_EQ(set.equation(2).relation, '=');
    EXPECT_EQ(set.equation(3).relation, '<');
    EXPECT_FALSE(uses(set.equation(2).code, y));
    EXPECT_FALSE(uses(set.equation(3).code, y));

    Probe probe;
    std::mt19937 rng(11);
    for (int i = 0; i < 20; ++i) {
        std::vector<double> p = randomPoint(rng, 0.5, 3);
        const double yOf = 2 * p[x] + 1;
        // Equation 1 reads y - (2x + 1).
        EXPECT_NEAR(probe(set.equation(1).code, p), p[y] - yOf, 1e-9);
        std::vector<double> q = p;
        q[y] = yOf;
        for (int k = 2; k <= 3; ++k)
            EXPECT_NEAR(probe(set.equation(k).code, p), probe(original.equation(k).code, q), 1e-9);
    }
}

TEST(Elimination, LaterStepsSubstituteIntoEarlierSolutions)
{
    // y 0x85 2*x + 1;  x 0x85 z - 1;  y + x = w
    EquationSet set = makeSet({statement(var(y), kElim, num(2) * var(x) + num(1)),
                               statement(var(x), kElim, var(z) - num(1)),
                               statement(var(y) + var(x), '=', var(w))});
    TranscriptHost host;
    Reporter reporter;
    Elimination elimination(set, reporter);
    ASSERT_TRUE(elimination.run(false));
    EXPECT_FALSE(uses(set.equation(1).code, x));
    EXPECT_FALSE(uses(set.equation(3).code, x));
    EXPECT_FALSE(uses(set.equation(3).code, y));
    Probe probe;
    std::mt19937 rng(3);
    for (int i = 0; i < 10; ++i) {
        const std::vector<double> p = randomPoint(rng, -2, 2);
        const double xOf = p[z] - 1, yOf = 2 * xOf + 1;
        EXPECT_NEAR(solutionAt(probe, set.equation(1).code, y, p), yOf, 1e-9);
        EXPECT_NEAR(solutionAt(probe, set.equation(2).code, x, p), xOf, 1e-9);
        EXPECT_NEAR(probe(set.equation(3).code, p), yOf + xOf - p[w], 1e-9);
    }
}

TEST(Elimination, ImaginaryAndPhasorFormsKeepTheirMeaning)
{
    // y 0x85 x + 1 into y*j (imaginary form) and y@ (phasor form), in complex arithmetic.
    EquationSet set =
        makeSet({statement(var(y), kElim, var(x) + num(1)),
                 statement(var(y, form::Imaginary) + var(y, form::Phasor), '=', var(z))});
    const EquationSet original = set;
    TranscriptHost host;
    Reporter reporter;
    Elimination elimination(set, reporter);
    ASSERT_TRUE(elimination.run(false));
    Reporter r2;
    Evaluator evaluator(r2);
    evaluator.complexMode = true;
    std::vector<double> p = {0, 0.7, 42, 0.3, 0};
    std::vector<double> q = p;
    q[y] = p[x] + 1;
    const auto got = evaluator.evaluate(set.equation(2).code, p.data());
    const auto want = evaluator.evaluate(original.equation(2).code, q.data());
    EXPECT_NEAR(got.real(), want.real(), 1e-12);
    EXPECT_NEAR(got.imag(), want.imag(), 1e-12);
}

// ---- Linear in the variable: -f0/f' -----------------------------------------------------

TEST(Elimination, LinearEquationsAreSolvedThroughTheDerivative)
{
    struct Case {
        const char* name;
        Expr left, right;
        std::function<double(const std::vector<double>&)> x;
    };
    const Expr X = var(x), Z = var(z), W = var(w);
    const Case cases[] = {
        {"x + x*z = 1", X + X * Z, num(1), [](const auto& p) { return 1 / (1 + p[z]); }},
        {"x*z - w = x", X * Z - W, X, [](const auto& p) { return p[w] / (p[z] - 1); }},
        {"SIN(z)*x + EXP(w)/2 = 3*x - x/z", un('S', Z) * X + un('E', W) / num(2),
         num(3) * X - X / Z,
         [](const auto& p) { return -std::exp(p[w]) / 2 / (std::sin(p[z]) - 3 + 1 / p[z]); }},
    };
    std::mt19937 rng(5);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TranscriptHost host;
        Reporter reporter;
        EquationSet set = makeSet({statement(c.left, '=', c.right, x)});
        Elimination elimination(set, reporter);
        ASSERT_TRUE(elimination.run(false)) << host.log;
        Probe probe;
        for (int i = 0; i < 5; ++i) {
            const std::vector<double> p = randomPoint(rng, 1.5, 2.5);
            EXPECT_NEAR(solutionAt(probe, set.equation(1).code, x, p), c.x(p), 1e-9);
        }
    }
}

// ---- Failures ---------------------------------------------------------------------------

TEST(Elimination, FailuresReportTheirMessageAndLeaveEquationsAlone)
{
    Equation illegal;
    illegal.code = {makeVariable(z), makeToken('Z', 'q', 0, 0.0), makeBinaryToken('-'),
                    makeToken(kind::End, ' ', 0, 0.0)};
    illegal.relation = '=';
    illegal.eliminate = x; // x does not occur: the peeling walks into the odd token
    const std::vector<std::string> cannot = {"\n", "Variable ", "y", " Cannot Be Eliminated",
                                             "\n", "Error ..."};
    struct Case {
        const char* name;
        Equation failing;
        std::vector<std::string> message; // after "Substituting ", "   1", "\n"
    };
    const Case cases[] = {
        {"y*y = x", statement(var(y) * var(y), '=', var(x), y), cannot},
        {"y*y + y = 1", statement(var(y) * var(y) + var(y), '=', num(1), y), cannot},
        {"y - y = x", statement(var(y) - var(y), '=', var(x), y), cannot},
        {"ERF(y) = x", statement(un('P', var(y)), '=', var(x), y), cannot},
        {"ATAN2(y, 1) = x", statement(bin('A', var(y), num(1)), '=', var(x), y), cannot},
        {"5 = x, y marked", statement(num(5), '=', var(x), y), cannot},
        {"y@ = x", statement(var(y, form::Phasor), '=', var(x), y), cannot},
        {"5 0x85 3",
         statement(num(5), kElim, num(3)),
         {"\n", "Variable to eliminate not found", "\n", "Error ..."}},
        {"illegal token",
         illegal,
         {"Illegal internal code \"", "Z", "q", "\" found", "\n", "Error ..."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The failing equation comes first; the second uses y and must stay as it was.
        EquationSet set = makeSet({c.failing, statement(var(y) + var(x), '=', num(2))});
        const EquationSet before = set;
        TranscriptHost host;
        Reporter reporter;
        Elimination elimination(set, reporter);
        EXPECT_FALSE(elimination.run(false));
        EXPECT_TRUE(elimination.failed());
        EXPECT_TRUE(reporter.runError);
        EXPECT_EQ(host.beeps, 1);
        std::vector<std::string> expected = {"Substituting ", "   1", "\n"};
        expected.insert(expected.end(), c.message.begin(), c.message.end());
        EXPECT_EQ(host.pieces, expected);
        for (int k = 1; k <= 2; ++k)
            EXPECT_EQ(set.equation(k).code, before.equation(k).code);
        EXPECT_EQ(set.equation(1).eliminate, 0u);
    }
}

TEST(Elimination, AFailedStepDoesNotStopTheLaterOnes)
{
    // y*y = x (marked y) fails; z 0x85 x + 1 still goes into the third equation.
    EquationSet set = makeSet({statement(var(y) * var(y), '=', var(x), y),
                               statement(var(z), kElim, var(x) + num(1)),
                               statement(var(z) * var(y), '=', num(2))});
    TranscriptHost host;
    Reporter reporter;
    Elimination elimination(set, reporter);
    EXPECT_FALSE(elimination.run(false));
    EXPECT_EQ(set.equation(1).code, stored(var(y) * var(y) - var(x)));
    EXPECT_EQ(set.equation(3).code, stored((var(x) + num(1)) * var(y) - num(2)));
    EXPECT_EQ(set.equation(1).relation, '=');
    EXPECT_EQ(set.equation(2).relation, kElim);
}

// ---- Choosing the variables -------------------------------------------------------------

TEST(Elimination, ChoosingVariables)
{
    Equation prefixed = statement(var(w), '=', num(2));
    prefixed.code[1].index = x; // a constant made under a 0xB0 prefix
    const std::vector<Equation> equations = {
        statement(var(x), '=', num(3)),               // definition of x
        statement(var(y), '=', var(x) + num(1)),      // two variables: not one
        statement(num(2) * var(z), '=', num(4)),      // does not begin with z
        prefixed,                                     // prefix constant: not one
        statement(var(z) + var(y), kElim, var(w)),    // leftmost variable: z
        statement(var(w) * var(x), '=', var(y), x),   // marked x stays x
        statement(var(y) + var(w), kElim, var(x), w), // the mark wins over y
    };
    struct Case {
        bool definitions;
        std::vector<std::uint32_t> eliminate;
    };
    for (const Case& c : {Case{false, {0, 0, 0, 0, z, x, w}}, Case{true, {x, 0, 0, 0, z, x, w}}}) {
        EquationSet set = makeSet(equations);
        TranscriptHost host;
        Reporter reporter;
        Elimination elimination(set, reporter);
        elimination.chooseVariables(c.definitions);
        for (int k = 1; k <= set.equationCount(); ++k)
            EXPECT_EQ(set.equation(k).eliminate, c.eliminate[static_cast<std::size_t>(k - 1)])
                << "equation " << k << (c.definitions ? " with definitions" : "");
    }
}

TEST(Elimination, DefinitionsModeMarksTheChosenEquations)
{
    EquationSet set =
        makeSet({statement(var(x), '=', num(3)), statement(var(y), '=', var(x) + num(1)),
                 statement(var(w) * var(y), '=', var(z), z)});
    TranscriptHost host;
    Reporter reporter;
    Elimination elimination(set, reporter);
    ASSERT_TRUE(elimination.run(true));
    EXPECT_EQ(set.equation(1).relation, kElim); // chosen as a definition
    EXPECT_EQ(set.equation(2).relation, '=');   // two variables
    EXPECT_EQ(set.equation(3).relation, '=');   // marked, not a definition
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(set.equation(k).eliminate, 0u);
    Probe probe;
    const std::vector<double> p = {0, 0.25, 0.5, 0.75, 2.0};
    EXPECT_NEAR(probe(set.equation(2).code, p), 0.5 - 4, 1e-12);
    EXPECT_NEAR(solutionAt(probe, set.equation(3).code, z, p), 2.0 * 0.5, 1e-12);
}

TEST(Elimination, ReadStatements)
{
    // y 0x85 2*x + 1;  SQUARE(0xA2u) = x + y;  w*0xA2z + 3 = x*y;  x*y = 2
    EquationSet set = readText("y \x85 2*x + 1;\n SQUARE(\xA2u) = x + y;\n"
                               " w*\xA2z + 3 = x*y;\n x*y = 2;\n");
    ASSERT_EQ(set.equationCount(), 4);
    const EquationSet original = set;
    const std::uint32_t vx = variableNamed(set, "x"), vy = variableNamed(set, "y"),
                        vu = variableNamed(set, "u"), vz = variableNamed(set, "z"),
                        vw = variableNamed(set, "w");
    ASSERT_NE(vu, 0u);
    ASSERT_NE(vz, 0u);
    TranscriptHost host;
    Reporter reporter;
    Elimination elimination(set, reporter);
    ASSERT_TRUE(elimination.run(false)) << host.log;
    EXPECT_EQ(host.log, "Substituting    1\nSubstituting    2\nSubstituting    3\n");
    Probe probe;
    std::mt19937 rng(13);
    for (int i = 0; i < 10; ++i) {
        const std::vector<double> p = randomPoint(rng, 0.5, 2, set.variables.count());
        const double yOf = 2 * p[vx] + 1;
        EXPECT_NEAR(solutionAt(probe, set.equation(1).code, vy, p), yOf, 1e-9);
        EXPECT_NEAR(solutionAt(probe, set.equation(2).code, vu, p), std::sqrt(p[vx] + yOf), 1e-9);
        EXPECT_NEAR(solutionAt(probe, set.equation(3).code, vz, p), (p[vx] * yOf - 3) / p[vw],
                    1e-9);
        std::vector<double> q = p;
        q[vy] = yOf;
        EXPECT_NEAR(probe(set.equation(4).code, p), probe(original.equation(4).code, q), 1e-9);
    }
}

// ---- Long and growing chains ------------------------------------------------------------

TEST(Elimination, TwoThousandNestedDefinitions)
{
    // x_1 = 0.5, then x_i 0x85 x_(i-1) + 1 for i = 2..2001: equation i ends as
    // x_i - (x_1 + (i - 1)), its solution nested i - 1 sums deep.
    const int n = 2001;
    EquationSet set;
    for (int i = 1; i <= n; ++i)
        set.variables.add("x" + std::to_string(i));
    set.equations.push_back(statement(var(1), '=', num(0.5)));
    for (std::uint32_t i = 2; i <= static_cast<std::uint32_t>(n); ++i)
        set.equations.push_back(statement(var(i), kElim, var(i - 1) + num(1)));
    TranscriptHost host;
    Reporter reporter;
    Elimination elimination(set, reporter);
    ASSERT_TRUE(elimination.run(false));
    std::vector<double> values(static_cast<std::size_t>(n) + 1, 0.0);
    values[1] = 0.5;
    Probe probe;
    for (int i : {2, 1000, n})
        EXPECT_NEAR(probe(set.equation(i).code, values), -(0.5 + (i - 1)), 1e-9) << i;
    for (std::uint32_t v = 2; v < static_cast<std::uint32_t>(n); ++v)
        EXPECT_FALSE(uses(set.equation(n).code, v));
}

TEST(Elimination, DeepPeelingIsIterative)
{
    // ((x + 1) + 1) ... + 1 = z, 5000 deep: x = z - 5000.
    const int n = 5000;
    Expr left = var(x);
    for (int i = 0; i < n; ++i)
        left = left + num(1);
    EquationSet set = makeSet({statement(left, '=', var(z), x)});
    TranscriptHost host;
    Reporter reporter;
    Elimination elimination(set, reporter);
    ASSERT_TRUE(elimination.run(false));
    Probe probe;
    EXPECT_NEAR(solutionAt(probe, set.equation(1).code, x, {0, 0, 0, 7.5, 0}), 7.5 - n, 1e-9);
}

TEST(Elimination, RunawayGrowthIsRefused)
{
    // x_i 0x85 x_(i+1) * x_(i+1): each step doubles the occurrences in equation 1.
    const int n = 30;
    EquationSet set;
    for (int i = 1; i <= n + 1; ++i)
        set.variables.add("x" + std::to_string(i));
    for (std::uint32_t i = 1; i <= static_cast<std::uint32_t>(n); ++i)
        set.equations.push_back(statement(var(i), kElim, var(i + 1) * var(i + 1)));
    TranscriptHost host;
    Reporter reporter;
    Elimination elimination(set, reporter);
    EXPECT_FALSE(elimination.run(false));
    EXPECT_NE(host.log.find(" Cannot Be Eliminated"), std::string::npos);
    std::size_t total = 0;
    for (const Equation& eq : set.equations) {
        EXPECT_LE(eq.code.size(), Elimination::kMaxChainLength);
        total += eq.code.size();
    }
    EXPECT_LE(total, Elimination::kMaxSetLength);
    // Whatever was substituted still means x_1 = x_(n+1) ^ (2 ^ n) at x_(n+1) = 1.
    std::vector<double> values(static_cast<std::size_t>(n) + 2, 1.0);
    values[1] = 0.0;
    Probe probe;
    EXPECT_NEAR(probe(set.equation(1).code, values), -1.0, 1e-12);
}

} // namespace
} // namespace varnel
