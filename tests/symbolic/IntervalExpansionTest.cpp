// Interval expansion: the whole trajectory over 10 intervals solved at once matches the
// trapezoidal rule's closed form at every point; the size limits of the expanded set; and
// the refusal of a set with a malformed derivative.
#include "IntervalExpansion.h"

#include "CalculusScan.h"
#include "CalculusTestSupport.h"

#include <cmath>

namespace varnel {
namespace {

using test::readSet;
using test::solveSet;
using test::TranscriptHost;
using test::valueOf;

TEST(IntervalExpansion, TrajectoryOfTheTrapezoidalRule)
{
    // x' = -x, x(0) = 1, with an algebraic variable fed by t: u = 2*t.
    EquationSet set = readSet("D(x, t) = -x; u = 2*t;");
    valueOf(set, "x") = 1.0;
    valueOf(set, "t") = 0.0;
    const auto x = static_cast<std::uint32_t>(set.variables.find("x"));
    const auto t = static_cast<std::uint32_t>(set.variables.find("t"));
    const auto u = static_cast<std::uint32_t>(set.variables.find("u"));
    TranscriptHost host;
    Reporter reporter;
    ExpansionLayout layout;
    ASSERT_TRUE(expandIntervals(set, 0.1, reporter, layout));
    EXPECT_EQ(host.log, "Number of Intervals: 10\n");
    EXPECT_EQ(set.variables.count(), 11 * (3 + 1));
    EXPECT_EQ(set.variables.names[layout.copyOf(x, 10)], "x10");
    ASSERT_TRUE(solveSet(set));
    const double factor = 0.95 / 1.05;
    for (int c = 0; c <= 10; ++c) {
        SCOPED_TRACE(c);
        EXPECT_NEAR(set.variables.values[layout.copyOf(x, c)], std::pow(factor, c), 1e-13);
        EXPECT_NEAR(set.variables.values[layout.copyOf(t, c)], 0.1 * c, 1e-13);
        EXPECT_NEAR(set.variables.values[layout.copyOf(u, c)], 0.2 * c, 1e-13);
    }
}

/// A set of `equations` equations over `variables` variables v1, v2, ...
EquationSet sizedSet(int equations, int variables)
{
    EquationSet set;
    for (int k = 1; k <= variables; ++k)
        set.variables.add("v" + std::to_string(k));
    for (int i = 0; i < equations; ++i) {
        const auto v = static_cast<std::uint32_t>(i % variables + 1);
        set.equations.push_back(
            {{makeVariable(v), makeOne(), makeBinaryToken('-'), makeToken(kind::End, ' ', 0, 0.0)},
             '=',
             0});
    }
    return set;
}

TEST(IntervalExpansion, SizeLimits)
{
    struct Case {
        int equations;
        int variables;
        bool expands;
    };
    const Case cases[] = {
        {181, 90, true},  // 1991 equations and 990 variables at 11 points
        {182, 10, false}, // 2002 equations at 11 points
        {201, 10, false}, // more than 200 equations
        {10, 91, false},  // more than 90 variables
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.equations) + " equations, " + std::to_string(c.variables) +
                     " variables");
        EquationSet set = sizedSet(c.equations, c.variables);
        TranscriptHost host;
        Reporter reporter;
        ExpansionLayout layout;
        EXPECT_EQ(expandIntervals(set, 0.1, reporter, layout), c.expands);
        if (c.expands) {
            EXPECT_EQ(set.equationCount(), 11 * c.equations);
            EXPECT_EQ(host.log, "Number of Intervals: 10\n");
        } else {
            EXPECT_EQ(set.equationCount(), c.equations);
            EXPECT_EQ(host.log, "Number of Intervals: 10\nIllegal Number\n<BEEP>\nError ...");
        }
    }
}

TEST(IntervalExpansion, MalformedSetIsNotExpanded)
{
    EquationSet set = readSet("D(x + y, t) = 1;");
    const EquationSet before = set;
    TranscriptHost host;
    Reporter reporter;
    ExpansionLayout layout;
    EXPECT_FALSE(expandIntervals(set, 0.1, reporter, layout));
    EXPECT_EQ(host.log, std::string(message::NotSimpleDerivative) + "\n<BEEP>\nError ...\n" +
                            std::string(message::SyntaxErrorNoChanges) + "\n<BEEP>\nError ...");
    EXPECT_EQ(set.equation(1).code, before.equation(1).code);
    EXPECT_EQ(set.variables.names, before.variables.names);
}

} // namespace
} // namespace varnel
