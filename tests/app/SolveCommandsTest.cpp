// Tests of the window-free rules of the run commands: mode choice, the symbolic file's name,
// the output line buffer, result and progress lines, and the request dialogs' choices.
#include "SolveCommands.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace varnel;

TEST(SolveCommands, ModeChoice)
{
    struct Case {
        const char* command;
        bool attached;
        int differentialMethod;
        const char* mode; // empty: refused
    };
    const Case cases[] = {
        {"solveAlgebraic", false, 0, "S"},
        {"solveAlgebraic", true, 0, "US"},
        {"solveRepetitive", false, 0, "US"},
        {"solveDifferential", false, 0, "DDIT"}, // trapezoidal
        {"solveDifferential", false, 1, "DDIB"}, // backward Euler
        {"solveDifferential", false, 2, "DDIB"}, // Gear
        {"solveEstimation", true, 0, "ALR"},
        {"solveEstimation", false, 0, ""},
        {"symbolicJacobian", false, 0, "ASJ"},
        {"fftFromFile", true, 1, "W1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const SolveCommand* command = findSolveCommand(c.command);
        ASSERT_NE(command, nullptr);
        const ModeChoice choice = chooseMode(*command, c.attached, c.differentialMethod);
        EXPECT_EQ(choice.mode, c.mode);
        EXPECT_EQ(choice.refusal, *c.mode ? "" : "List file must be attached");
    }
    EXPECT_EQ(findSolveCommand("solve"), nullptr);
}

TEST(SolveCommands, AcceleratorsAndOffers)
{
    std::string offered;
    for (const SolveCommand& c : solveCommands()) {
        if (c.offer)
            offered += std::string(c.mode) + " ";
        if (*c.shortcut)
            offered += std::string(c.shortcut) + "=" + c.name + " ";
    }
    EXPECT_EQ(offered, "F5=solveAlgebraic Ctrl+D=solveDifferential Ctrl+I=solveIntegral ASL ASS "
                       "ASJ E AFS AFC ");
    EXPECT_EQ(solveCommands().size(), 16u);
}

TEST(SolveCommands, SymbolicFileName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/home/a/bridge.alg", "/home/a/bridge.SJC"},
        {"/home/a.b/bridge.alg", "/home/a.b/bridge.SJC"}, // the folder's dot is kept
        {"/home/a.b/bridge", "/home/a.b/bridge.SJC"},     // no extension of its own
        {"/home/a/two.dots.alg", "/home/a/two.dots.SJC"},
        {".alg", ".alg.SJC"}, // the only dot is the first character
        {"plain", "plain.SJC"},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(symbolicFileName(path), expected) << path;
}

TEST(SolveCommands, ConversionOnlyForSjcFiles)
{
    const std::pair<const char*, bool> cases[] = {
        {"/t/a.SJC", true},  {"/t/a.sjc", false}, {"/t/a.SJCX", false},
        {"/t.SJC/a", false}, {"/t/SJC", false},   {"/t/a.b.SJC", true},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(offersConversion(path), expected) << path;
}

TEST(SolveCommands, OutputLineBuffer)
{
    OutputLineBuffer buffer;
    EXPECT_EQ(buffer.add("abc"), "");
    EXPECT_EQ(buffer.add("def\n"), "abcdef\n");
    EXPECT_TRUE(buffer.empty());

    const std::string hundred(100, 'x');
    EXPECT_EQ(buffer.add(hundred), ""); // exactly 100 waits
    EXPECT_EQ(buffer.add("y"), hundred + "y");
    const std::string long150(150, 'z');
    EXPECT_EQ(buffer.add(long150), long150); // more than 100 at once

    EXPECT_EQ(buffer.add("\n"), "\n");
    EXPECT_EQ(buffer.add("Error"), "");
    EXPECT_EQ(buffer.take(), "Error"); // the end of a run shows what is left
    EXPECT_TRUE(buffer.empty());
}

TEST(SolveCommands, SolutionLine)
{
    EXPECT_EQ(solutionLine("x", std::sqrt(2.0)), "x=1.414213562373095");
    EXPECT_EQ(solutionLine("y", -0.5), "y=-0.500000000000000");
    EXPECT_EQ(solutionLine("big", 1e20), "big=100000000000000000000.000000000000000");
    EXPECT_EQ(solutionLine("p", 1e300).size(), 2 + 301 + 16u); // never cut
}

TEST(SolveCommands, ProgressLines)
{
    const auto p = parseProgressLine("Iter:   3 Worse Eq.:  12  Tol: E  -5");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->iteration, 3);
    EXPECT_EQ(p->toleranceExponent, -5);
    EXPECT_FALSE(parseProgressLine(" Iter:   3  Tol: E  -5"));
    EXPECT_FALSE(parseProgressLine("Iter: Tol: E"));
    EXPECT_FALSE(parseProgressLine("Solution Found!"));

    const auto last = lastProgress("Iter:   1 Worse Eq.:   1  Tol: E   2\n x=1.0\n"
                                   "Iter:   2 Worse Eq.:   1  Tol: E  -7\nSolution Found!\n");
    ASSERT_TRUE(last);
    EXPECT_EQ(last->iteration, 2);
    EXPECT_EQ(last->toleranceExponent, -7);
    EXPECT_FALSE(lastProgress("no progress here\n"));
}

TEST(SolveCommands, FourierPreselection)
{
    struct Case {
        std::vector<std::string> names;
        int independent, real, imaginary;
    };
    const Case cases[] = {
        {{"t", "vr", "vi"}, 0, 1, 2},
        {{"vr", "vi", "t"}, 2, 0, 1},
        {{"vr", "vi"}, 0, 0, 1},      // no independent candidate: the first
        {{"t", "x"}, 0, 0, 0},        // no real or imaginary candidate: the first
        {{"VR", "VI", "w"}, 0, 0, 0}, // case-sensitive
        {{"", "ar", "bi"}, 0, 1, 2},  // an empty name ends in neither
        {{}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const FourierChoice choice = preselectFourier(c.names);
        EXPECT_EQ(choice.independent, c.independent);
        EXPECT_EQ(choice.real, c.real);
        EXPECT_EQ(choice.imaginary, c.imaginary);
    }
}

TEST(SolveCommands, GraphRangeCheck)
{
    struct Case {
        double from, to;
        int steps;
        bool accepted;
    };
    const Case cases[] = {
        {-10, 10, 100, true}, {0, 6.283185, 256, true}, {1, 1, 10, false},
        {2, 1, 10, false},    {0, 1, 0, false},         {-1e-9, 0, 1, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(graphRangeAccepted(c.from, c.to, c.steps), c.accepted)
            << c.from << " " << c.to << " " << c.steps;
    EXPECT_EQ(std::string(kFromMustBeLessThanTo),
              "Value \"From\" must be less than \"To\" value!!");
    EXPECT_EQ(fftSampleCounts().front(), 32);
    EXPECT_EQ(fftSampleCounts().back(), 262144);
}
