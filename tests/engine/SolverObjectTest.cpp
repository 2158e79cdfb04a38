// The solver object's interface outside a run: options, list-file rule, variable
// table and value strings.
#include "CVarnel.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

SolverOptions withListFile(const std::string& name, int count)
{
    SolverOptions o;
    o.listFile.chars = name.c_str();
    o.listFile.length = static_cast<std::intptr_t>(name.size());
    o.listFileCount = count;
    return o;
}

TEST(SolverObject, ListFileRule)
{
    struct Case {
        std::size_t length;
        unsigned taken;
        bool attached;
        int count;
    };
    const Case cases[] = {
        {0, 0, false, 1}, // empty name: no list file, count 1
        {12, 12, true, 7},   {128, 128, true, 7},
        {129, 128, true, 7}, // cut to the 128-character buffer
        {200, 128, true, 7},
    };
    for (const Case& c : cases) {
        CVarnel solver;
        const std::string name(c.length, 'n');
        const SolverOptions o = withListFile(name, 7);
        EXPECT_EQ(solver.setOptions(&o), c.taken) << c.length;
        EXPECT_EQ(solver.context().settings.listFileAttached, c.attached) << c.length;
        EXPECT_EQ(solver.context().settings.listFileCount, c.count) << c.length;
        EXPECT_EQ(solver.context().settings.listFileName.size(), c.attached ? c.taken : 0u)
            << c.length;
    }
}

TEST(SolverObject, NullListFileCharactersMeanNoListFile)
{
    CVarnel solver;
    SolverOptions o;
    o.listFile.length = 5; // a length without characters
    EXPECT_EQ(solver.setOptions(&o), 0u);
    EXPECT_FALSE(solver.context().settings.listFileAttached);
    EXPECT_EQ(solver.setOptions(nullptr), 0u);
}

TEST(SolverObject, OptionFieldsAreCopied)
{
    SolverOptions o;
    o.method = 2;
    o.jacobianMethod = 1;
    o.maxIterations = 33;
    o.repetitions = 4;
    o.toleranceExponent = -9;
    o.autoSimplify = 0;
    o.autoHomotopy = 1;
    o.solveInGroups = 0;
    o.deltaJ = 1e-5;
    o.deltaT = 0.25;
    o.guessMin = -1;
    o.guessMax = 3;
    o.showIterations = 1;
    o.showDerivatives = 1;
    o.showResults = 0;
    CVarnel solver;
    solver.setOptions(&o);
    const varnel::RunSettings& s = solver.context().settings;
    EXPECT_EQ(s.method, 2);
    EXPECT_EQ(s.jacobianMethod, 1);
    EXPECT_EQ(s.maxIterations, 33);
    EXPECT_EQ(s.repetitions, 4);
    EXPECT_EQ(s.toleranceExponent, -9);
    EXPECT_FALSE(s.autoSimplify);
    EXPECT_TRUE(s.autoHomotopy);
    EXPECT_FALSE(s.solveInGroups);
    EXPECT_DOUBLE_EQ(s.deltaJ, 1e-5);
    EXPECT_DOUBLE_EQ(s.deltaT, 0.25);
    EXPECT_DOUBLE_EQ(s.guessMin, -1);
    EXPECT_DOUBLE_EQ(s.guessMax, 3);
    EXPECT_TRUE(s.showIterations);
    EXPECT_TRUE(s.showDerivatives);
    EXPECT_FALSE(s.showResults);
}

TEST(SolverObject, VariablesBeforeAnyRun)
{
    CVarnel solver;
    EXPECT_EQ(solver.variableCount(), 0);
    EXPECT_STREQ(solver.variableName(0), "");
    EXPECT_EQ(solver.variableValue(-1), 0.0);
    std::vector<char*> strings;
    EXPECT_EQ(solver.solutionStrings(&strings), 1);
    EXPECT_TRUE(strings.empty());
}

TEST(SolverObject, SolutionStringsFormatEveryVariable)
{
    varnel::test::TempDir dir;
    varnel::test::writeFile(dir / "s.alg", "x = 1.5;\n" + std::string(40, 'v') + " = -2/3;\n");
    CVarnel solver;
    std::string path = (dir / "s.alg").string();
    ASSERT_TRUE(solver.solve(path.data(), "S"));
    EXPECT_EQ(solver.variableCount(), 2);
    EXPECT_STREQ(solver.variableName(0), "x");
    EXPECT_EQ(std::strlen(solver.variableName(1)), 33u); // names are cut to 33 characters
    std::vector<char*> strings;
    EXPECT_EQ(solver.solutionStrings(&strings), 1);
    ASSERT_EQ(strings.size(), 2u);
    EXPECT_STREQ(strings[0], "x=1.500000000000000");
    EXPECT_EQ(std::string(strings[1]), std::string(33, 'v') + "=-0.666666666666667");
    for (char* s : strings)
        delete[] s;
}

TEST(SolverObject, RandomNumbersStayInRange)
{
    CVarnel solver;
    int low = 32767, high = 0;
    for (int i = 0; i < 100000; ++i) {
        const int r = solver.random();
        low = std::min(low, r);
        high = std::max(high, r);
    }
    EXPECT_GE(low, 0);
    EXPECT_LE(high, 32767);
    EXPECT_GT(high - low, 30000);
}

} // namespace
