// Tests of the Properties tree's lines for a document's settings.
#include "PropertyLines.h"

#include <gtest/gtest.h>

using namespace varnel;

TEST(PropertyLines, DefaultSettings)
{
    SolverOptions o;
    const std::vector<std::string> expected = {
        "Method = Newton",
        "Jacoban Method = Exact Jacobian",
        "Max. Iterations = 10",
        "Min. Tolerance = E-3",
        "Max. Initial Guess = 1.000000",
        "Min. Initial Guess = 0.100000",
        "Delta J = 0.001000",
        "Delta T = 0.100000",
        "Auto Simplify = TRUE",
        "Auto Homotopy = FALSE",
        "Solve in groups = TRUE",
    };
    EXPECT_EQ(optionLines(o), expected);
    EXPECT_EQ(resultsNodeText(o), "Results: NOT FOUND");
}

TEST(PropertyLines, NamesMethodsAndFlags)
{
    SolverOptions o;
    o.method = 3;
    o.jacobianMethod = 1;
    o.toleranceExponent = -12;
    o.autoHomotopy = 2;
    o.resultsFound = 1;
    const auto lines = optionLines(o);
    EXPECT_EQ(lines[0], "Method = Homotopy");
    EXPECT_EQ(lines[1], "Jacoban Method = Incremental Jacobian");
    EXPECT_EQ(lines[3], "Min. Tolerance = E-12");
    EXPECT_EQ(lines[9], "Auto Homotopy = TRUE");
    EXPECT_EQ(resultsNodeText(o), "Results: OK");
    o.method = 1;
    EXPECT_EQ(optionLines(o)[0], "Method = Robust Newton");
    o.method = 9;
    EXPECT_EQ(optionLines(o)[0], "Method = 9");
    o.guessMax = 1e300; // very long fixed-point text is cut, not overrun
    EXPECT_FALSE(optionLines(o)[4].empty());
}
