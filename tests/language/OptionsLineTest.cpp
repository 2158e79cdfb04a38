// The options line: positional words, each taken only when it reads in full.
#include "OptionsLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using varnel::applyOptionsLine;
using varnel::OptionsProblems;
using varnel::RunSettings;

namespace {

TEST(OptionsLine, FullLineSetsEverySettingInOrder)
{
    RunSettings s;
    s.maxIterations = 1;
    s.toleranceExponent = 0;
    s.method = 2;
    s.jacobianMethod = 1;
    s.guessMax = 9;
    s.solveInGroups = false;
    s.deltaJ = 9;
    s.deltaT = 9;
    s.complexMode = true;
    EXPECT_TRUE(
        applyOptionsLine("{Options: 10 -3 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 REAL}", s));
    EXPECT_EQ(s.maxIterations, 10);
    EXPECT_EQ(s.toleranceExponent, -3);
    EXPECT_EQ(s.method, 0);
    EXPECT_EQ(s.jacobianMethod, 0);
    EXPECT_DOUBLE_EQ(s.guessMax, 1.0);
    EXPECT_TRUE(s.solveInGroups);
    EXPECT_DOUBLE_EQ(s.deltaJ, 0.001);
    EXPECT_DOUBLE_EQ(s.deltaT, 0.1);
    EXPECT_FALSE(s.complexMode);
}

TEST(OptionsLine, WordsThatDoNotReadLeaveTheirSetting)
{
    struct Case {
        const char* line;
        int iterations;
        int tolerance;
        int method;
        double guessMax;
        double deltaT;
        bool complex;
    };
    // Starting settings: 10 -3 NEWTON, guess max 1, Delta T 0.1, real.
    const Case cases[] = {
        {"{Options: 20}", 20, -3, 0, 1.0, 0.1, false},
        {"{Options: x -5 ROBUST}", 10, -5, 1, 1.0, 0.1, false},
        {"{Options: 20 -3 newton}", 20, -3, 0, 1.0, 0.1, false},  // keywords are upper case
        {"{Options: 20 -3 NEWTONS}", 20, -3, 0, 1.0, 0.1, false}, // compared in full
        {"{Options: 12x -4}", 10, -4, 0, 1.0, 0.1, false},        // integer must take the word
        {"{Options: 5 -2 HOMOTOPY SYMBOLIC 2,5}", 5, -2, 3, 1.0, 0.1, false}, // "," is no point
        {"{Options: 5 -2 DISHONEST SYMBOLIC 1e1 X 1 0.5 COMPLEX}", 5, -2, 2, 10.0, 0.5, true},
        {"{Options: 5 -2 DISHONEST SYMBOLIC 1. X 1 .5}", 5, -2, 2, 1.0, 0.5, false},
        {"{Options:   7    -8   }", 7, -8, 0, 1.0, 0.1, false},
        {"{Options: 7 -8 NEWTON SYMBOLIC inf X 1 nan}", 7, -8, 0, 1.0, 0.1, false},
    };
    for (const Case& c : cases) {
        RunSettings s;
        EXPECT_TRUE(applyOptionsLine(c.line, s)) << c.line;
        EXPECT_EQ(s.maxIterations, c.iterations) << c.line;
        EXPECT_EQ(s.toleranceExponent, c.tolerance) << c.line;
        EXPECT_EQ(s.method, c.method) << c.line;
        EXPECT_DOUBLE_EQ(s.guessMax, c.guessMax) << c.line;
        EXPECT_DOUBLE_EQ(s.deltaT, c.deltaT) << c.line;
        EXPECT_EQ(s.complexMode, c.complex) << c.line;
    }
}

TEST(OptionsLine, OtherFirstLinesAreNotOptionsLines)
{
    const char* lines[] = {"x = 1;", "{ Options: 20}", "{options: 20}", "{Options:20}",
                           "",       " {Options: 20}"};
    for (const char* line : lines) {
        RunSettings s;
        s.method = 3;
        EXPECT_FALSE(applyOptionsLine(line, s)) << line;
        EXPECT_EQ(s.maxIterations, 10) << line;
        EXPECT_EQ(s.method, 1) << "HOMOTOPY without an options line runs ROBUST: " << line;
    }
}

TEST(OptionsLine, HomotopyNamedOnTheLineStays)
{
    RunSettings s;
    EXPECT_TRUE(applyOptionsLine("{Options: 10 -3 HOMOTOPY}", s));
    EXPECT_EQ(s.method, 3);
}

TEST(OptionsLine, UnknownWordsAreListedAndOutOfRangeNumbersRefused)
{
    struct Case {
        const char* line;
        std::vector<std::string> unknown;
        std::vector<std::string> refused;
        int iterations; // afterwards, from 10
        int tolerance;  // afterwards, from -3
    };
    const Case cases[] = {
        {"{Options: 10 -3 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 REAL}", {}, {}, 10, -3},
        {"{Options: 20}", {}, {}, 20, -3},
        {"{Options: x -5 NEWTN}", {"x", "NEWTN"}, {}, 10, -5},
        {"{Options: 5 -2 DISHONEST SYMBOLIC 1 X 1 0.5 REAL EXTRA}", {"X", "EXTRA"}, {}, 5, -2},
        {"{Options: 10 400}",
         {},
         {"Tolerance exponent 400 is outside -99..10 in the options line"},
         10,
         -3},
        {"{Options: 10 -99}", {}, {}, 10, -99},
        {"{Options: 10 -100}",
         {},
         {"Tolerance exponent -100 is outside -99..10 in the options line"},
         10,
         -3},
        {"{Options: 0 11}",
         {},
         {"Iteration limit 0 in the options line is below 1",
          "Tolerance exponent 11 is outside -99..10 in the options line"},
         10,
         -3},
        {"{Options: 10 -3 NEWTON SYMBOLIC 1 SEQUENTIAL -0.01}", {}, {}, 10, -3},
        {"{Options: 10 -3 NEWTON SYMBOLIC 1 SEQUENTIAL 0}",
         {},
         {"Delta J 0 in the options line is no increment"},
         10,
         -3},
    };
    for (const Case& c : cases) {
        RunSettings s;
        OptionsProblems problems;
        EXPECT_TRUE(applyOptionsLine(c.line, s, &problems)) << c.line;
        EXPECT_EQ(problems.unknownWords, c.unknown) << c.line;
        EXPECT_EQ(problems.refused, c.refused) << c.line;
        EXPECT_EQ(s.maxIterations, c.iterations) << c.line;
        EXPECT_EQ(s.toleranceExponent, c.tolerance) << c.line;
        EXPECT_NE(s.deltaJ, 0.0) << c.line;
    }
}

} // namespace
