// Whole "S" runs compared with transcripts written by hand: the reading reports, the
// Jacobian listing and grouping lines, the progress lines, the verdicts, the result
// rows, and the size checks. Starting values are pinned with an empty random range.
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cctype>

using namespace varnel::test;

namespace {

SolverOptions pinnedStart()
{
    SolverOptions o;
    o.guessMin = 0.5;
    o.guessMax = 0.5;
    return o;
}

/// The run's duration is the one text that varies.
std::string maskTiming(const std::string& log)
{
    static const std::string head = "Solved for ";
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = log.find(head, from)) != std::string::npos;) {
        std::size_t end = at + head.size();
        while (end < log.size() &&
               (std::isdigit(static_cast<unsigned char>(log[end])) || log[end] == '.'))
            ++end;
        out += log.substr(from, at - from) + head + "#.###";
        from = end;
    }
    return out + log.substr(from);
}

struct Case {
    const char* name;
    const char* equations;
    bool showIterations;
    const char* expected;
    bool result;
};

std::string caseName(const ::testing::TestParamInfo<Case>& p)
{
    return p.param.name;
}

class SolveTranscript : public ::testing::TestWithParam<Case> {};

TEST_P(SolveTranscript, MatchesExpected)
{
    const Case& c = GetParam();
    TempDir dir;
    const auto file = dir / "run.alg";
    writeFile(file, c.equations);
    SolverOptions options = pinnedStart();
    options.showIterations = c.showIterations ? 1 : 0;
    TranscriptHost host;
    EXPECT_EQ(host.run(file.string(), "S", options), c.result);
    const std::string expected =
        replaceAll(readFile(dataPath(std::string("solve/") + c.expected)), "@PATH@", file.string());
    EXPECT_EQ(maskTiming(host.log), expected);
    EXPECT_EQ(readFile(file), c.equations) << "the equation file is never changed";
}

INSTANTIATE_TEST_SUITE_P(
    Runs, SolveTranscript,
    ::testing::Values(Case{"Triangular", "x = 1;\ny = x + 1;\n", false, "triangular.txt", true},
                      Case{"ShowIterations", "x = 1;\ny = x + 1;\n", true,
                           "triangular_iterations.txt", true},
                      Case{"TooMany", "x = 1;\ny = 2;\nx + y = 3;\n", false, "too_many.txt", false},
                      Case{"NotEnough", "x = 1;\ny + z = 2;\n", false, "not_enough.txt", false}),
    caseName);

struct Outcome {
    bool result;
    std::string log;
};

Outcome solve(const std::string& equations, SolverOptions options = pinnedStart())
{
    TempDir dir;
    writeFile(dir / "run.alg", equations);
    TranscriptHost host;
    const bool result = host.run((dir / "run.alg").string(), "S", options);
    return {result, host.log};
}

TEST(Solve, DependentAndSingularSystemsStopBeforeSolving)
{
    struct Singular {
        const char* equations;
        const char* message;
    };
    const Singular cases[] = {
        {"x + y = 1;\n2*x + 2*y = 2;\n", " Depends on Other Equations"},
        {"x*y = 1;\n5 = 5;\n", " is Singular or Inconsistent"},
    };
    for (const Singular& c : cases) {
        const Outcome o = solve(c.equations);
        EXPECT_FALSE(o.result) << c.equations;
        EXPECT_NE(o.log.find(c.message), std::string::npos) << o.log;
        EXPECT_EQ(o.log.find("Solving..."), std::string::npos) << o.log;
    }
}

TEST(Solve, IterationLimitAndFailedGroups)
{
    SolverOptions one = pinnedStart();
    one.maxIterations = 1;
    const Outcome limited = solve("x*x = 2;\n", one);
    EXPECT_FALSE(limited.result);
    EXPECT_NE(limited.log.find("Iter:   1"), std::string::npos);
    EXPECT_EQ(limited.log.find("Iter:   2"), std::string::npos) << "exactly one iteration";
    EXPECT_NE(limited.log.find("Eqn    1 group failed\n"), std::string::npos) << limited.log;
}

TEST(Solve, EvaluationErrorNamesTheEquation)
{
    const Outcome o = solve("x = 1;\ny = LN(x - 1);\n");
    EXPECT_FALSE(o.result);
    // The first failure of the step names the equation: here its Jacobian entry 1/(x - 1).
    EXPECT_NE(o.log.find("Error Evaluating Jacobian for Equation 2\nInverse of Zero"),
              std::string::npos)
        << o.log;
    EXPECT_NE(o.log.find("Error in Eqn    2, try complex mode\nInverse of Zero<BEEP>\nError ..."),
              std::string::npos)
        << o.log;
    EXPECT_NE(o.log.find("Error in Solution    1\n<BEEP>"), std::string::npos) << o.log;
}

TEST(Solve, IncrementalJacobianSolvesTheSame)
{
    SolverOptions incremental = pinnedStart();
    incremental.jacobianMethod = 1;
    incremental.toleranceExponent = -10;
    incremental.maxIterations = 30;
    const Outcome o = solve("x*x + y = 3;\nx - y = 1;\n", incremental);
    EXPECT_TRUE(o.result) << o.log;
    EXPECT_NE(o.log.find("      1.5615528      0.5615528\n"), std::string::npos) << o.log;
}

TEST(Solve, IfMasksAreTriedInOrderUntilOneHolds)
{
    // IF x > 0 ... with a root only on the ELSE side: mask 1 takes the ELSE branch.
    const Outcome o = solve("y = IF x > 5 THEN x - 100 ELSE x - 2;\ny = 0;\n");
    EXPECT_TRUE(o.result) << o.log;
    EXPECT_NE(o.log.find("IF MASK:    1"), std::string::npos);
    EXPECT_EQ(o.log.find("IF MASK:    2"), std::string::npos) << o.log;

    // Only the THEN branch has a root that satisfies its condition.
    const Outcome then = solve("y = IF x > 5 THEN x - 100 ELSE x + 2 - 2*x + 20;\ny = 0;\n");
    EXPECT_TRUE(then.result) << then.log;
    EXPECT_NE(then.log.find("IF MASK:    2"), std::string::npos) << then.log;
}

TEST(Solve, ManyIfsAreTriedAtRandomThirtyTwoTimes)
{
    // Six IFs give 64 masks; only 32 random trials run. x*x = -1 - ... has no real root.
    std::string equation = "x*x + 1";
    for (int i = 0; i < 6; ++i)
        equation += " + IF x > " + std::to_string(i) + " THEN 1 ELSE 2";
    const Outcome o = solve(equation + " = 0;\n");
    EXPECT_FALSE(o.result);
    EXPECT_NE(o.log.find("IF MASK:   32"), std::string::npos) << o.log;
    EXPECT_EQ(o.log.find("IF MASK:   33"), std::string::npos);
}

} // namespace
