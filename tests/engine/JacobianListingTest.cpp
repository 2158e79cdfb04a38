// The Jacobian listing: its exact layout, reading it back into the sparse structure,
// and the failures of missing or damaged listings; the incremental entries.
#include "JacobianListing.h"

#include "CVarnel.h"
#include "Differentiator.h"
#include "Jacobian.h"
#include "Reporter.h"
#include "SparseMatrix.h"
#include "TextFile.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

using namespace varnel;
using namespace varnel::test;

namespace {

Token end()
{
    return makeToken(kind::End, ' ', 0, 0.0);
}

/// x + 2*y = 3 and x*y = 2, with x = 1 and y = 2.
EquationSet twoEquations()
{
    EquationSet set;
    set.variables.add("x", 1.0);
    set.variables.add("y", 2.0);
    Equation a;
    a.code = {makeVariable(1),      makeConstant(2), makeVariable(2),      makeBinaryToken('*'),
              makeBinaryToken('+'), makeConstant(3), makeBinaryToken('-'), end()};
    Equation b;
    b.code = {makeVariable(1), makeVariable(2),      makeBinaryToken('*'),
              makeConstant(2), makeBinaryToken('-'), end()};
    set.equations = {a, b};
    return set;
}

const char* const kListing = "      1       1\n"
                             "V        0   1.000000E+00\n"
                             ";\n"
                             "      1       2\n"
                             "V        0   2.000000E+00\n"
                             ";\n"
                             "      2       1\n"
                             "X        2   0.000000E+00\n"
                             ";\n"
                             "      2       2\n"
                             "X        1   0.000000E+00\n"
                             ";\n"
                             "   0   0   0\n";

TEST(JacobianListing, LayoutOfEveryEntry)
{
    TranscriptHost host;
    TempDir dir;
    Reporter reporter;
    Differentiator differentiator(reporter);
    TextFile file;
    const EquationSet set = twoEquations();
    EXPECT_TRUE(
        writeJacobianListing(set, file, (dir / "m.JAC").string(), differentiator, reporter, false));
    EXPECT_EQ(readFile(dir / "m.JAC"), kListing);
    EXPECT_EQ(host.log, "\n");
}

TEST(JacobianListing, DerivativeInformationIsShownPerEquation)
{
    TranscriptHost host;
    TempDir dir;
    Reporter reporter;
    Differentiator differentiator(reporter);
    TextFile file;
    writeJacobianListing(twoEquations(), file, (dir / "m.JAC").string(), differentiator, reporter,
                         true);
    EXPECT_EQ(host.log, "\n\n   1 wrtx wrty\n   2 wrtx wrty");
}

TEST(JacobianListing, ReadBackIntoTheStructure)
{
    TranscriptHost host;
    TempDir dir;
    writeFile(dir / "m.JAC", kListing);
    Reporter reporter;
    TextFile file;
    SparseMatrix matrix;
    ASSERT_TRUE(readJacobianStructure(file, (dir / "m.JAC").string(), 2, 2, matrix, reporter));
    EXPECT_EQ(matrix.entryCount(), 4);
    const EquationSet set = twoEquations();
    Evaluator evaluator(reporter);
    const struct {
        int row, column;
        double value;
    } expected[] = {{1, 1, 1.0}, {1, 2, 2.0}, {2, 1, 2.0}, {2, 2, 1.0}};
    for (const auto& e : expected) {
        const int index = matrix.find(e.row, e.column);
        ASSERT_GE(index, 0);
        EXPECT_DOUBLE_EQ(
            evaluator.evaluateReal(matrix.entry(index).code, set.variables.values.data()), e.value);
    }
    EXPECT_EQ(matrix.diagonal(1), matrix.find(1, 1));
    EXPECT_EQ(matrix.diagonal(2), matrix.find(2, 2));
}

TEST(JacobianListing, AnEmptyListingGivesAnEmptyStructure)
{
    TranscriptHost host;
    TempDir dir;
    writeFile(dir / "m.JAC", "   0   0   0\n");
    Reporter reporter;
    TextFile file;
    SparseMatrix matrix;
    EXPECT_TRUE(readJacobianStructure(file, (dir / "m.JAC").string(), 2, 2, matrix, reporter));
    EXPECT_EQ(matrix.entryCount(), 0);
}

TEST(JacobianListing, MissingOrDamagedListingsAreIncorrect)
{
    TempDir dir;
    const std::string full = kListing;
    const std::size_t endLine = full.find("   0   0   0");
    std::vector<std::string> damaged;
    for (std::size_t n = 0; n < endLine + 4; ++n)
        damaged.push_back(full.substr(0, n)); // every truncation before the end mark
    damaged.push_back(replaceAll(full, "      2       2", "      2       9")); // no such variable
    damaged.push_back(replaceAll(full, "X        1 ", "X       77 ")); // token of no variable
    damaged.push_back(replaceAll(full, "      1       1\n", "      x       1\n"));
    for (const std::string& text : damaged) {
        TranscriptHost host;
        writeFile(dir / "m.JAC", text);
        Reporter reporter;
        TextFile file;
        SparseMatrix matrix;
        EXPECT_FALSE(readJacobianStructure(file, (dir / "m.JAC").string(), 2, 2, matrix, reporter))
            << text;
        EXPECT_TRUE(reporter.runError);
        EXPECT_EQ(host.log, "Jacobian File Incorrect<BEEP>\nError ...") << text;
        EXPECT_EQ(matrix.entryCount(), 0);
    }
    TranscriptHost host;
    Reporter reporter;
    TextFile file;
    SparseMatrix matrix;
    EXPECT_FALSE(readJacobianStructure(file, (dir / "none.JAC").string(), 2, 2, matrix, reporter));
    EXPECT_EQ(host.log, "Jacobian File Incorrect<BEEP>\nError ...");
}

TEST(JacobianListing, VariablesInOrderOfFirstOccurrence)
{
    const Chain code = {
        makeVariable(3), makeVariable(1),      makeVariable(3),      makeBinaryToken('*'),
        makeVariable(1), makeBinaryToken('+'), makeBinaryToken('-'), end()};
    EXPECT_EQ(variablesOf(code), (std::vector<std::uint32_t>{3, 1}));
}

TEST(JacobianListing, IncrementalEntryIsAForwardDifference)
{
    TranscriptHost host;
    RunContext context;
    context.settings.jacobianMethod = 1;
    context.settings.deltaJ = 0.001;
    context.set.variables.add("x", 1.0);
    Equation square;
    square.code = {makeVariable(1), makeVariable(1), makeBinaryToken('*'), end()};
    context.set.equations = {square};
    Jacobian jacobian(context.reporter);
    ASSERT_TRUE(jacobian.buildStructure(context));
    ASSERT_EQ(jacobian.matrix().entryCount(), 1) << "one entry however often x occurs";
    jacobian.evaluate(context, EquationOrdering(), 0,
                      [](int) { ADD_FAILURE() << "no failure expected"; });
    EXPECT_NEAR(jacobian.matrix().entry(0).value, 2.001, 1e-9);
    EXPECT_EQ(context.set.variables.values[1], 1.0) << "the variable is restored";
}

} // namespace

namespace {

/// Newton iterations of an "S" run of `text` with the given Jacobian method.
int iterationsToSolve(const std::string& text, int jacobianMethod, std::vector<double>& values)
{
    TempDir dir;
    writeFile(dir / "p.alg", text);
    TranscriptHost host;
    CVarnel solver;
    SolverOptions options;
    options.jacobianMethod = jacobianMethod;
    options.toleranceExponent = -14;
    options.maxIterations = 10;
    solver.setOptions(&options);
    std::string path = (dir / "p.alg").string();
    EXPECT_TRUE(solver.solve(path.data(), "S")) << host.log;
    values.clear();
    for (int i = 0; i < solver.variableCount(); ++i)
        values.push_back(solver.variableValue(i));
    return solver.context().times.newtonIterations;
}

TEST(JacobianPrecision, LinearSystemsWithLongConstantsTakeOneIteration)
{
    // The derivatives keep every digit of the constants: one Newton step solves a linear
    // system, however long its coefficients (a listing with 7 digits would need two).
    std::vector<double> values;
    // The incremental Jacobian's forward difference is off by about 1e-13 relative, so from
    // some random starts it needs a second step to reach 1e-14; the symbolic one never does.
    for (int method : {0, 1}) {
        const int iterations = iterationsToSolve("1.23456789123*x = 1;\n", method, values);
        if (method == 0)
            EXPECT_EQ(iterations, 1);
        else
            EXPECT_LE(iterations, 2);
        ASSERT_EQ(values.size(), 1u);
        EXPECT_NEAR(values[0], 1 / 1.23456789123, 1e-15);
    }
    const double a[3][3] = {{1.23456789123, 2.98765432198, -0.314159265358979},
                            {0.577215664901532, -1.4142135623731, 2.71828182845905},
                            {3.16227766016838, 0.693147180559945, 1.61803398874989}};
    const double b[3] = {1, 2, 3};
    auto det = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const std::string text = "1.23456789123*x + 2.98765432198*y - 0.314159265358979*z = 1;\n"
                             "0.577215664901532*x - 1.4142135623731*y + 2.71828182845905*z = 2;\n"
                             "3.16227766016838*x + 0.693147180559945*y + 1.61803398874989*z = 3;\n";
    EXPECT_EQ(iterationsToSolve(text, 0, values), 1);
    ASSERT_EQ(values.size(), 3u);
    for (int k = 0; k < 3; ++k) { // Cramer's rule
        double m[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                m[r][c] = c == k ? b[r] : a[r][c];
        EXPECT_NEAR(values[static_cast<std::size_t>(k)], det(m) / det(a), 1e-13) << k;
    }
}

} // namespace
