// The Lagrangian and the least-squares objective as code: each formed set is compared with
// the hand-written expression it must equal, parsed by the same front end (multipliers and
// slacks renamed to typeable names first), so the order of the terms, the number in each
// multiplier's name and every constant put in for a measurement are checked.
#include "OptimalityConditions.h"

#include "ChainText.h"
#include "PrinterTestSupport.h"
#include "Reporter.h"

#include <gtest/gtest.h>

#include <string>

using namespace varnel;
using varnel::test::chainText;
using varnel::test::readSet;

namespace {

/// Renames the multipliers and slacks "lam<i>" and "s<i>" so that they can be typed.
void typeableNames(VariableTable& variables)
{
    for (std::string& name : variables.names) {
        if (!name.empty() && static_cast<unsigned char>(name[0]) == 0xEC)
            name = "lam" + name.substr(1);
        else if (!name.empty() && static_cast<unsigned char>(name[0]) == 0xE4)
            name = "s" + name.substr(1);
    }
}

std::string singleText(const std::string& expression)
{
    EquationSet set;
    EXPECT_TRUE(readSet(expression + ";", set)) << expression;
    return set.equations.empty() ? "" : chainText(set.equations[0].code, set.variables);
}

TEST(Lagrangian, TermsInOrderWithTheEquationsOwnNumbers)
{
    struct Case {
        const char* problem;
        const char* lagrangian;
    };
    const Case cases[] = {
        // The objective gets no multiplier; the constraint's is named by its equation.
        {"f; x + y = 1;", "lam2*(x + y - 1) + (f + 0)"},
        {"x^2; x > 0;", "lam2*(SQUARE(s2) - (x - 0)) + (x^2 + 0)"},
        {"x*y; a = 2; x + y < 4; x > 1;",
         "lam4*(SQUARE(s4) - (x - 1)) + (lam3*(SQUARE(s3) + (x + y - 4)) + "
         "(lam2*(a - 2) + (x*y + 0)))"},
        // Objective in two parts, constraint first.
        {"x = 3; x^2; y^2;", "y^2 + (x^2 + (lam1*(x - 3) + 0))"},
    };
    for (const Case& c : cases) {
        EquationSet set;
        ASSERT_TRUE(readSet(c.problem, set)) << c.problem;
        Reporter reporter;
        ASSERT_TRUE(formLagrangian(set, reporter)) << c.problem;
        ASSERT_EQ(set.equationCount(), 1) << c.problem;
        typeableNames(set.variables);
        EXPECT_EQ(chainText(set.equations[0].code, set.variables), singleText(c.lagrangian))
            << c.problem;
    }
}

TEST(Lagrangian, EmptySetBecomesZeroAndASecondPassReusesTheNames)
{
    EquationSet empty;
    Reporter reporter;
    ASSERT_TRUE(formLagrangian(empty, reporter));
    ASSERT_EQ(empty.equationCount(), 1);
    EXPECT_EQ(chainText(empty.equations[0].code, empty.variables), "0 ;");

    EquationSet set;
    ASSERT_TRUE(readSet("x^2; x > 1;", set));
    const Chain constraint = set.equations[1].code;
    ASSERT_TRUE(formLagrangian(set, reporter));
    const int count = set.variables.count();
    EXPECT_EQ(count, 3); // x, the multiplier, the slack
    set.equations.push_back({constraint, '>', 0});
    set.equations[0].relation = ' ';
    ASSERT_TRUE(formLagrangian(set, reporter));
    EXPECT_EQ(set.variables.count(), count);
}

TEST(Lagrangian, FullVariableTableIsRefusedAndLeavesTheSet)
{
    EquationSet set;
    ASSERT_TRUE(readSet("x^2; x > 1;", set));
    while (set.variables.count() < kMaxVariables - 1)
        set.variables.add("v" + std::to_string(set.variables.count()));
    Reporter reporter;
    EXPECT_FALSE(formLagrangian(set, reporter));
    EXPECT_TRUE(reporter.runError);
    EXPECT_EQ(set.equationCount(), 2);
    EXPECT_EQ(set.variables.count(), kMaxVariables - 1);
}

TEST(LeastSquares, OneSquarePerCaseWithTheMeasurementsPutIn)
{
    EquationSet set;
    ASSERT_TRUE(readSet("y = a*EXP(b*t);", set));
    MeasuredCases cases;
    cases.names = {"t", "y", "unknown"};
    cases.rows = {{0.0, 2.0, 9.0}, {1.0, 3.5, 9.0}, {2.0, 5.25, 9.0}};
    Reporter reporter;
    ASSERT_TRUE(formLeastSquares(set, 1, cases, reporter));
    ASSERT_EQ(set.equationCount(), 1);
    EXPECT_EQ(chainText(set.equations[0].code, set.variables),
              singleText("SQUARE(5.25 - a*EXP(b*2)) + (SQUARE(3.5 - a*EXP(b)) + "
                         "(SQUARE(2 - a) + 0))"));
}

TEST(Gradient, OneEquationPerUsedVariableAndUnusedOnesDropped)
{
    EquationSet set;
    ASSERT_TRUE(readSet("y = a*EXP(b*t);", set));
    MeasuredCases cases{{"t", "y"}, {{1.0, 2.0}}};
    Reporter reporter;
    ASSERT_TRUE(formLeastSquares(set, 1, cases, reporter));
    ASSERT_TRUE(formGradient(set, reporter));
    ASSERT_EQ(set.variables.count(), 2);
    EXPECT_EQ(set.variables.names[1], "a");
    EXPECT_EQ(set.variables.names[2], "b");
    ASSERT_EQ(set.equationCount(), 2);

    EquationSet constant;
    ASSERT_TRUE(readSet("2 + 3;", constant));
    EXPECT_FALSE(formGradient(constant, reporter));
    EXPECT_TRUE(reporter.runError);
}

} // namespace
