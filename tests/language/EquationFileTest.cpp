// Reading an equation file: options line, working copy and its line breaking, the
// statement loop with its messages and limits, complex mode's two passes, function
// files beside the equation file, and interruption.
#include "EquationFile.h"

#include "ChainText.h"
#include "Evaluator.h"
#include "Reporter.h"
#include "RunSettings.h"
#include "TextFile.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace varnel;
using varnel::test::chainText;
using varnel::test::TempDir;
using varnel::test::TranscriptHost;
using varnel::test::writeFile;

namespace {

struct FileRead {
    bool ok = false;
    RunSettings settings;
    EquationSet set;
    ParseState state;
    std::vector<std::string> pieces;
    std::string log;
    std::string workingCopy;
    std::vector<std::string> equations;
    std::vector<std::string> variables;
};

FileRead readAlg(const TempDir& dir, const std::string& text, RunSettings settings = {})
{
    writeFile(dir / "eq.alg", text);
    FileRead r;
    r.settings = settings;
    {
        TranscriptHost host;
        Reporter reporter;
        TextFile input;
        TextFile results;
        r.ok = readEquationFile((dir / "eq.alg").string(), (dir / "eq").string(), r.settings, r.set,
                                reporter, input, results, r.state);
        r.pieces = host.pieces;
        r.log = host.log;
    }
    r.workingCopy = workingCopyOf(text);
    for (const Equation& e : r.set.equations)
        r.equations.push_back(chainText(e.code, r.set.variables));
    for (int k = 1; k <= r.set.variables.count(); ++k)
        r.variables.push_back(r.set.variables.names[static_cast<std::size_t>(k)]);
    return r;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

/// The pieces of a reading error: the message, then the place in the file.
std::vector<std::string> errorPieces(const std::string& message, const std::string& place)
{
    return {"Reading Equations...\n", "\n", message, "\n", place, "\n", "Error ..."};
}

TEST(EquationFile, WorkedExample)
{
    TempDir dir;
    const FileRead r =
        readAlg(dir, "{Options: 50 -6 ROBUST INCREMENTAL}\nx*x + y = 3;\nx - y = 1;\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.settings.maxIterations, 50);
    EXPECT_EQ(r.settings.toleranceExponent, -6);
    EXPECT_EQ(r.settings.method, 1);
    EXPECT_EQ(r.settings.jacobianMethod, 1);
    EXPECT_EQ(r.equations, (std::vector<std::string>{"x x B* y B+ 3 B- ;", "x y B- 1 B- ;"}));
    EXPECT_EQ(r.set.equation(1).relation, '=');
    EXPECT_EQ(r.set.equation(2).relation, '=');
    EXPECT_EQ(r.set.equation(1).eliminate, 0u);
    EXPECT_EQ(r.variables, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(r.pieces, std::vector<std::string>{"Reading Equations...\n"});
    EXPECT_EQ(r.workingCopy, "x*x + y = 3;\nx - y = 1;\n");
    // The result table replaces its file only when the run commits it.
    EXPECT_FALSE(std::filesystem::exists(dir / "eq.PRN"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(EquationFile, OptionsLineOnlyOnTheFirstLine)
{
    RunSettings start;
    start.maxIterations = 99;
    start.toleranceExponent = -9;
    start.method = 2;
    start.jacobianMethod = 1;
    start.guessMax = 5;
    start.solveInGroups = false;
    start.deltaJ = 0.5;
    start.deltaT = 0.5;

    struct Case {
        int line;
        std::string first;
        int iterations, tolerance, method, jacobian;
        double guessMax;
        bool groups;
        double deltaJ, deltaT;
    };
    const std::vector<Case> cases{
        {__LINE__, "{Options: 10 -3 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 REAL}", 10, -3, 0, 0, 1,
         true, 0.001, 0.1},
        {__LINE__, "{Options: 20}", 20, -9, 2, 1, 5, false, 0.5, 0.5},
        {__LINE__, "{Options: x -3 NEWTON}", 99, -3, 0, 1, 5, false, 0.5, 0.5},
        {__LINE__, "{Options: 10 -3 newton}", 10, -3, 2, 1, 5, false, 0.5, 0.5},
        {__LINE__, "{first line}\n{Options: 10 -3 NEWTON}", 99, -9, 2, 1, 5, false, 0.5, 0.5},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const FileRead r = readAlg(dir, c.first + "\nx = 1;\n", start);
        ASSERT_TRUE(r.ok) << "case at line " << c.line;
        EXPECT_EQ(r.settings.maxIterations, c.iterations) << "case at line " << c.line;
        EXPECT_EQ(r.settings.toleranceExponent, c.tolerance) << "case at line " << c.line;
        EXPECT_EQ(r.settings.method, c.method) << "case at line " << c.line;
        EXPECT_EQ(r.settings.jacobianMethod, c.jacobian) << "case at line " << c.line;
        EXPECT_EQ(r.settings.guessMax, c.guessMax) << "case at line " << c.line;
        EXPECT_EQ(r.settings.solveInGroups, c.groups) << "case at line " << c.line;
        EXPECT_EQ(r.settings.deltaJ, c.deltaJ) << "case at line " << c.line;
        EXPECT_EQ(r.settings.deltaT, c.deltaT) << "case at line " << c.line;
        EXPECT_EQ(r.equations, std::vector<std::string>{"x 1 B- ;"}) << "case at line " << c.line;
    }
}

TEST(EquationFile, SettingsOutOfRangeStopTheReading)
{
    // The host's record is held to the ranges of the options line.
    struct Case {
        int iterations;
        int tolerance;
        double deltaJ;
        std::string message;
        double guessMax = 1.0;
        double deltaT = 0.1;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {10, 400, 0.001, "Tolerance exponent 400 is outside -99..10"},
        {10, -100, 0.001, "Tolerance exponent -100 is outside -99..10"},
        {0, -3, 0.001, "Iteration limit 0 is below 1"},
        {10, -3, 0.0, "Delta J 0 is no increment"},
        // No number would start every variable at no number, and "converge" there.
        {10, -3, 0.001, "The range of random starting values must be finite", nan},
        {10, -3, 0.001, "Delta T must be a finite number", 1.0, infinity},
    };
    for (const Case& c : cases) {
        RunSettings host;
        host.maxIterations = c.iterations;
        host.toleranceExponent = c.tolerance;
        host.deltaJ = c.deltaJ;
        host.guessMax = c.guessMax;
        host.deltaT = c.deltaT;
        TempDir dir;
        const FileRead r = readAlg(dir, "x = 1;\n", host);
        EXPECT_FALSE(r.ok) << c.message;
        EXPECT_EQ(r.pieces, (std::vector<std::string>{"Reading Equations...\n", "\n", c.message,
                                                      "\n", "Error ..."}));
    }
    TempDir dir;
    RunSettings lowest;
    lowest.toleranceExponent = -99;
    EXPECT_TRUE(readAlg(dir, "x = 1;\n", lowest).ok);
}

TEST(EquationFile, HomotopyWithoutOptionsLineBecomesRobust)
{
    RunSettings homotopy;
    homotopy.method = 3;
    TempDir dir;
    EXPECT_EQ(readAlg(dir, "x = 1;\n", homotopy).settings.method, 1);
    EXPECT_EQ(readAlg(dir, "{Options: 10}\nx = 1;\n", homotopy).settings.method, 3);
    // The first line, not an options line, is a line of equations.
    EXPECT_EQ(readAlg(dir, "x = 1;", homotopy).workingCopy, "x = 1;\n");
}

struct BreakCase {
    int line;
    std::string text;
    std::vector<std::size_t> pieces; // lengths of the working copy's lines
};

TEST(EquationFile, LongLinesAreBrokenAtTheRightCharacter)
{
    const std::string a(200, 'a');
    auto A = [&](std::size_t n) { return a.substr(0, n); };
    const std::vector<BreakCase> cases{
        {__LINE__, A(79), {79}},
        {__LINE__, A(59) + " " + A(40), {60, 40}}, // last blank
        {__LINE__, A(49) + " " + A(30), {50, 30}}, // 80 characters are broken
        {__LINE__, A(40) + " " + A(59), {41, 59}}, // the 41st is searched
        {__LINE__, A(39) + " " + A(60), {40, 60}}, // the 40th only to keep a name whole
        {__LINE__, A(69) + "*" + A(4) + "+" + A(30), {70, 35}},        // "*" before "+"
        {__LINE__, A(49) + "+" + A(50), {50, 50}},                     // "+"
        {__LINE__, A(44) + "-" + A(28) + "E-" + A(30), {45, 60}},      // "-" of an exponent skipped
        {__LINE__, A(73) + "E+" + A(30), {75, 30}},                    // "+" of an exponent skipped
        {__LINE__, "y=1." + std::string(80, '5') + "E+5", {2, 85, 0}}, // never inside a number
        {__LINE__, "y=" + std::string(100, '7') + "^2", {2, 100, 2}},  // one longer than a line
        {__LINE__, A(29) + " " + A(70), {30, 70}},                     // never inside a name
        {__LINE__, A(80), {80, 0}},
        {__LINE__, A(200), {200, 0}},
    };
    for (const BreakCase& c : cases) {
        TempDir dir;
        const FileRead r = readAlg(dir, c.text + "\n");
        std::vector<std::size_t> lengths;
        std::string joined;
        for (const std::string& l : lines(r.workingCopy)) {
            lengths.push_back(l.size());
            joined += l;
        }
        EXPECT_EQ(lengths, c.pieces) << "case at line " << c.line;
        EXPECT_EQ(joined, c.text) << "case at line " << c.line;
    }
}

TEST(EquationFile, ManyBlanksBreakAtTheEightiethCharacter)
{
    std::string text;
    for (int k = 0; k < 20; ++k)
        text += "aaaaaaaaa ";
    TempDir dir;
    const FileRead r = readAlg(dir, text);
    const std::vector<std::string> got = lines(r.workingCopy);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].size(), 80u);
    EXPECT_EQ(got[1].size(), 80u);
    EXPECT_EQ(got[2].size(), 40u);
}

TEST(EquationFile, LongLineFileReadsAsOneStatement)
{
    // 3000 terms on one line; the breaks land on blanks and never split a number.
    std::string text = "y = 0";
    for (int k = 0; k < 3000; ++k)
        text += " + 1.5E+10*x" + std::to_string(k % 7);
    text += ";";
    TempDir dir;
    const FileRead r = readAlg(dir, text);
    ASSERT_TRUE(r.ok) << r.state.errorMessage;
    for (const std::string& l : lines(r.workingCopy))
        EXPECT_LE(l.size(), 80u);
    ASSERT_EQ(r.set.equationCount(), 1);
    EXPECT_EQ(r.set.variables.count(), 8);
    const Chain& code = r.set.equation(1).code;
    EXPECT_EQ(code.size(), 2u + 3000u * 4u + 2u);
    int bigConstants = 0;
    for (const Token& t : code)
        bigConstants += (t.kind == kind::Constant && t.value == 1.5e10) ? 1 : 0;
    EXPECT_EQ(bigConstants, 3000);
}

TEST(EquationFile, MissingSemicolonStopsTheReading)
{
    TempDir dir;
    const FileRead r = readAlg(dir, "x = 2.5.3;\ny = 1;\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.pieces, (std::vector<std::string>{"Reading Equations...\n", "Char ", ".", "\n",
                                                  "\n", " Error: \";\" expected", "\n",
                                                  "line 1, column 8:\nx = 2.5.3;\n       ^", "\n",
                                                  "Error ..."}));
    EXPECT_EQ(r.state.errorPosition, 8);
    EXPECT_EQ(r.set.equationCount(), 1);
    EXPECT_EQ(r.variables, std::vector<std::string>{"x"});
}

TEST(EquationFile, ParseErrorAbandonsTheStatementAndStopsTheReading)
{
    TempDir dir;
    const FileRead r = readAlg(dir, "a = 1;\nb = (2;\nc = 3;\n");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.pieces,
              errorPieces("Error: \")\" expected", "line 2, column 7:\nb = (2;\n      ^"));
    EXPECT_EQ(r.state.errorMessage, "Error: \")\" expected");
    EXPECT_EQ(r.variables, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(r.set.equationCount(), 2);
}

TEST(EquationFile, StatementAtTheEndWithoutSemicolon)
{
    TempDir dir;
    const FileRead r = readAlg(dir, "x = 1;\ny = 2");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.pieces,
              (std::vector<std::string>{"Reading Equations...\n", "Char ", "", "\n", "\n",
                                        " Error: \";\" expected", "\n",
                                        "line 2, column 6:\ny = 2\n     ^", "\n", "Error ..."}));
}

TEST(EquationFile, TooManyEquations)
{
    std::string text;
    for (int k = 0; k < 2001; ++k)
        text += "x = 1;\n";
    TempDir dir;
    const FileRead r = readAlg(dir, text);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.pieces, errorPieces("Too Many Equations", "line 2001, column 1:\nx = 1;\n^"));
    EXPECT_EQ(r.set.equationCount(), 2000);
    // Exactly 2000 are fine.
    text.resize(text.size() - 7);
    EXPECT_TRUE(readAlg(dir, text).ok);
}

TEST(EquationFile, TooManyVariables)
{
    std::string text = "0";
    for (int k = 1; k <= 2001; ++k)
        text += "+v" + std::to_string(k);
    TempDir dir;
    const FileRead r = readAlg(dir, text + ";");
    EXPECT_FALSE(r.ok);
    // The place is the name that got no number, in a window of the long line.
    // Column 10896 is the "v" of v2001; the window shows 50 characters before it and the
    // rest of the line.
    const std::string line = text + ";";
    ASSERT_EQ(line.substr(10895), "v2001;");
    const std::string window = "..." + line.substr(10895 - 50);
    EXPECT_EQ(r.pieces, errorPieces("Too Many Variables", "line 1, column 10896:\n" + window +
                                                              "\n" + std::string(53, ' ') + "^"));
}

TEST(EquationFile, MissingEquationFile)
{
    TempDir dir;
    TranscriptHost host;
    Reporter reporter;
    TextFile input, results;
    RunSettings settings;
    EquationSet set;
    ParseState state;
    const std::string base = (dir / "absent").string();
    EXPECT_FALSE(
        readEquationFile(base + ".ALG", base, settings, set, reporter, input, results, state));
    EXPECT_EQ(host.pieces,
              (std::vector<std::string>{"Reading Equations...\n", "\n", "Equation file ",
                                        base + ".ALG", " cannot be opened", "\n", "Error ..."}));
}

TEST(EquationFile, ComplexModeReadsTwiceAndAddsTwins)
{
    const std::string options = "{Options: 10 -3 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 COMPLEX}\n";
    struct Case {
        int line;
        std::string text;
        std::vector<std::string> equations;
        std::vector<std::string> variables;
    };
    const std::vector<Case> cases{
        {__LINE__,
         "z = w + 1;\nw = 2 + \xDF"
         "3;",
         {"zr zi~j B+ wr wi~j B+ 1 B+ B- ;", "1~j zr zi~j B+ wr wi~j B+ 1 B+ B- B* ;",
          "wr wi~j B+ 2 3~j B+ B- ;", "1~j wr wi~j B+ 2 3~j B+ B- B* ;"},
         {"zr", "zi", "wr", "wi"}},
        {__LINE__, "z = 1;", {"z 1 B- ;"}, {"z"}},
        {__LINE__, "1 = z;", {"1 z B- ;"}, {"z"}},
        {__LINE__,
         "P = MAG(V);\nV = 1 + \xDF"
         "2;",
         {"P Vr Vi~j B+ Um B- ;", "Vr Vi~j B+ 1 2~j B+ B- ;", "1~j Vr Vi~j B+ 1 2~j B+ B- B* ;"},
         {"P", "Vr", "Vi"}},
        {__LINE__, "REAL(z) = IMAG(z);", {"zr zi~j B+ Ur zr zi~j B+ Ui B- ;"}, {"zr", "zi"}},
        {__LINE__,
         "REAL(z) = 2*IMAG(z);",
         {"zr zi~j B+ Ur 2 zr zi~j B+ Ui B* B- ;", "1~j zr zi~j B+ Ur 2 zr zi~j B+ Ui B* B- B* ;"},
         {"zr", "zi"}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const FileRead r = readAlg(dir, options + c.text);
        ASSERT_TRUE(r.ok) << "case at line " << c.line << ": " << r.state.errorMessage;
        EXPECT_TRUE(r.settings.complexMode) << "case at line " << c.line;
        EXPECT_EQ(r.equations, c.equations) << "case at line " << c.line;
        EXPECT_EQ(r.variables, c.variables) << "case at line " << c.line;
        EXPECT_EQ(r.set.equation(1).relation, '=') << "case at line " << c.line;
        EXPECT_EQ(r.set.equation(r.set.equationCount()).relation, '=') << "case at line " << c.line;
    }
}

TEST(EquationFile, TwinsCountAgainstTheEquationLimit)
{
    std::string text = "{Options: 10 -3 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 COMPLEX}\n";
    for (int k = 0; k < 1001; ++k)
        text += "z = w;\n";
    TempDir dir;
    const FileRead r = readAlg(dir, text);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.pieces, errorPieces("Too Many Equations", "line 1002, column 1:\nz = w;\n^"));
}

TEST(EquationFile, FunctionFileBesideTheEquationFile)
{
    TempDir dir;
    writeFile(dir / "HYP.FUN", "HYP 2\nSQRT(%1^2 + %2^2)\n");
    const FileRead r = readAlg(dir, "c = HYP(a, b);\n");
    ASSERT_TRUE(r.ok) << r.state.errorMessage;
    EXPECT_EQ(r.equations, std::vector<std::string>{"c a 2 B^ b 2 B^ B+ UQ B- ;"});
}

TEST(EquationFile, InterruptStopsTheReading)
{
    TempDir dir;
    requestInterrupt();
    const FileRead r = readAlg(dir, "x = 1;\ny = 2;\n");
    clearInterrupt();
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.state.interrupted);
    EXPECT_EQ(r.pieces,
              (std::vector<std::string>{"Reading Equations...\n", "User inicira prekid..", "\n"}));
}

struct ExampleCase {
    std::string file;
    int equations;
    std::map<std::string, double> answer; // the answer written in the file's comment
    double tolerance = 1e-9;              // the special functions are approximations
};

TEST(EquationFile, ExamplesReadAndTheirAnswersZeroEveryResidual)
{
    const std::vector<ExampleCase> cases{
        {"intersection", 2, {{"x", 1.5615528128088303}, {"y", 0.5615528128088303}}},
        {"phasor_divider",
         8,
         {{"Vsr", 8.660254037844387},
          {"Vsi", 5.0},
          {"Ir", 0.5973431581505102},
          {"Ii", 0.8210414036224489},
          {"VLr", 10.152390177882653},
          {"VLi", 0.14750315653061197},
          {"M", 10.153461651336192},
          {"A", 0.01452788717591565}}},
        {"pipe_friction",
         6,
         {{"v", 0.9683237501456832}, {"Re", 48416.187507284165}, {"f", 0.02132990041165276}}},
        {"special_roots",
         6,
         {{"z", 2.404825557695773},
          {"e", 0.4769362762044699},
          {"g", 4.0},
          {"p", 0.6931471805599453}},
         1e-7},
        {"parallel_resistors", 2, {{"R", 2.342329219213245}, {"I", 4.0}}},
    };
    for (const ExampleCase& c : cases) {
        // Read a copy, with the function file beside it, so that the source tree stays clean.
        const std::filesystem::path examples =
            std::filesystem::path(VARNEL_SOURCE_DIR) / "examples";
        TempDir dir;
        std::filesystem::copy_file(examples / (c.file + ".alg"), dir / (c.file + ".alg"));
        std::filesystem::copy_file(examples / "PAR.FUN", dir / "PAR.FUN");
        const std::string base = (dir / c.file).string();
        TranscriptHost host;
        Reporter reporter;
        TextFile input, results;
        RunSettings settings;
        EquationSet set;
        ParseState state;
        ASSERT_TRUE(
            readEquationFile(base + ".alg", base, settings, set, reporter, input, results, state))
            << c.file << ": " << state.errorMessage;
        EXPECT_EQ(set.equationCount(), c.equations) << c.file;
        ASSERT_EQ(static_cast<std::size_t>(set.variables.count()), c.answer.size()) << c.file;
        std::vector<double> values{0.0};
        for (int k = 1; k <= set.variables.count(); ++k) {
            const auto it = c.answer.find(set.variables.names[static_cast<std::size_t>(k)]);
            ASSERT_NE(it, c.answer.end())
                << c.file << ": " << set.variables.names[static_cast<std::size_t>(k)];
            values.push_back(it->second);
        }
        Evaluator evaluator(reporter);
        evaluator.complexMode = settings.complexMode;
        for (int i = 1; i <= set.equationCount(); ++i) {
            if (set.equation(i).relation == 0xBB)
                continue; // a starting value, not an equation
            const double residual = evaluator.evaluate(set.equation(i).code, values.data()).real();
            EXPECT_FALSE(evaluator.error().mark()) << c.file << " equation " << i;
            EXPECT_LT(std::abs(residual), c.tolerance) << c.file << " equation " << i;
        }
        EXPECT_EQ(host.log, "Reading Equations...\n") << c.file;
    }
}

} // namespace
