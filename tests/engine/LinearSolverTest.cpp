// Factorisation and substitution of equation groups: guarded results of degenerate
// pivots, substitution-only triangular systems, a fixed pivot grown tiny, and random sparse
// systems solved group by group against a dense elimination with partial pivoting.
#include "LinearSolver.h"

#include "GuardedMath.h"
#include "Reporter.h"
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

using namespace varnel;
using varnel::test::TranscriptHost;

namespace {

using Equation = std::vector<std::pair<int, double>>; // (variable, coefficient)

// A linear system A x = b held as a sparse Jacobian, solved the way the Newton
// iteration does it: group by group, each group's right-hand side reduced by the
// variables already solved.
struct LinearSystem {
    SparseMatrix matrix;
    EquationOrdering ordering;
    EliminationWorkspace workspace;
    std::vector<double> coefficient; // by entry index
    std::vector<double> rhs;         // by equation
    int refinements = 0;

    LinearSystem(const std::vector<Equation>& equations, std::vector<double> b) : rhs(std::move(b))
    {
        matrix.reset(static_cast<int>(equations.size()));
        for (std::size_t i = 0; i < equations.size(); ++i)
            for (const auto& [variable, a] : equations[i]) {
                const int e = matrix.add(static_cast<int>(i) + 1, variable);
                coefficient.resize(e + 1);
                coefficient[e] = a;
            }
    }
    void evaluateRow(int row)
    {
        for (int e = matrix.rowHead(row); e >= 0; e = matrix.entry(e).nextInRow)
            if (!matrix.entry(e).fillIn)
                matrix.entry(e).value = coefficient[e];
    }
    void evaluateGroup(int g)
    {
        for (int k = ordering.groupFirst(g); k <= ordering.groupLast(g); ++k)
            evaluateRow(ordering.equationAt(k));
    }
    bool analyse(Reporter& reporter)
    {
        return ordering.analyseSystem(
            matrix,
            [&] {
                for (int i = 1; i <= matrix.size(); ++i)
                    evaluateRow(i);
            },
            [&](int g) { evaluateGroup(g); }, reporter, false, nullptr);
    }
    // x by variable number.
    std::vector<double> solve(bool refine = false)
    {
        const int n = matrix.size();
        std::vector<double> x(n + 1, 0.0), work(n + 1, 0.0), block, scratch;
        for (int g = 1; g <= ordering.groupCount(); ++g) {
            evaluateGroup(g);
            keepGroupValues(matrix, ordering, g, block);
            factorGroup(matrix, ordering, g, workspace);
            for (int k = ordering.groupFirst(g); k <= ordering.groupLast(g); ++k) {
                const int row = ordering.equationAt(k);
                double r = rhs[row - 1];
                for (int e = matrix.rowHead(row); e >= 0; e = matrix.entry(e).nextInRow)
                    if (!matrix.entry(e).fillIn &&
                        ordering.positionOfVariable(matrix.entry(e).column) <
                            ordering.groupFirst(g))
                        r -= coefficient[e] * x[matrix.entry(e).column];
                work[k] = r;
            }
            const std::vector<double> residuals = work;
            solveGroup(matrix, ordering, g, work);
            if (refine)
                refinements +=
                    refineGroupSolution(matrix, ordering, g, block, residuals, work, scratch);
            for (int k = ordering.groupFirst(g); k <= ordering.groupLast(g); ++k)
                x[ordering.variableAt(k)] = work[k];
        }
        return x;
    }
};

TEST(LinearSolver, OneByOneGroups)
{
    struct Case {
        double pivot;
        double residual;
        double correction;
    };
    // clang-format off
    const Case cases[] = {
        {2.0, 4.0, 2.0},
        {-4.0, 1.0, -0.25},
        {0.0, 4.0, BIG},       // non-zero over a zero pivot
        {0.0, 0.0, UNDEFINED}, // zero over zero
        {1e-60, 3.0, BIG},     // a pivot at or below TINY is zero
        {2.0, 0.0, 0.0},
        {2.0, UNDEFINED, UNDEFINED},
        {2.0, BIG, BIG},
        {BIG, 3.0, 0.0},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pivot << " " << c.residual);
        TranscriptHost host;
        Reporter reporter;
        LinearSystem system({{{1, 1.0}}}, {c.residual});
        ASSERT_TRUE(system.analyse(reporter));
        // The Jacobian of a later iteration may hold a pivot the ordering would refuse.
        system.coefficient[0] = c.pivot;
        const std::vector<double> x = system.solve();
        if (c.correction == BIG || c.correction == UNDEFINED) {
            EXPECT_EQ(x[1], c.correction);
        } else {
            EXPECT_DOUBLE_EQ(x[1], c.correction);
        }
    }
}

// A triangular system splits into one-equation groups: nothing is eliminated, every
// value stays as evaluated, and substitution alone yields the solution.
TEST(LinearSolver, TriangularSystemNeedsNoElimination)
{
    TranscriptHost host;
    Reporter reporter;
    // 2 x1 = 2; x2 + 3 x1 = 5; 4 x3 - x2 + x1 = 7  =>  x1 = 1, x2 = 2, x3 = 2
    LinearSystem system({{{1, 2}}, {{2, 1}, {1, 3}}, {{3, 4}, {2, -1}, {1, 1}}}, {2, 5, 7});
    ASSERT_TRUE(system.analyse(reporter));
    ASSERT_EQ(system.ordering.groupCount(), 3);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_TRUE(system.ordering.lowerEntries(k).empty());
        EXPECT_TRUE(system.ordering.upperEntries(k).empty());
    }
    const std::vector<double> x = system.solve();
    for (int e = 0; e < system.matrix.entryCount(); ++e)
        EXPECT_EQ(system.matrix.entry(e).value, system.coefficient[e]);
    EXPECT_DOUBLE_EQ(x[1], 1.0);
    EXPECT_DOUBLE_EQ(x[2], 2.0);
    EXPECT_DOUBLE_EQ(x[3], 2.0);
}

// Dense Gaussian elimination with partial pivoting: the reference solution.
std::vector<double> denseSolve(std::vector<std::vector<double>> a, std::vector<double> b)
{
    const std::size_t n = b.size();
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        for (std::size_t i = k + 1; i < n; ++i)
            if (std::fabs(a[i][k]) > std::fabs(a[p][k]))
                p = i;
        std::swap(a[k], a[p]);
        std::swap(b[k], b[p]);
        for (std::size_t i = k + 1; i < n; ++i) {
            const double m = a[i][k] / a[k][k];
            if (m == 0.0)
                continue;
            for (std::size_t j = k; j < n; ++j)
                a[i][j] -= m * a[k][j];
            b[i] -= m * b[k];
        }
    }
    std::vector<double> x(n);
    for (std::size_t k = n; k-- > 0;) {
        double s = b[k];
        for (std::size_t j = k + 1; j < n; ++j)
            s -= a[k][j] * x[j];
        x[k] = s / a[k][k];
    }
    return x;
}

// The pivots are fixed when the system is analysed; a later Jacobian may make one tiny
// (a multiplier going to zero). The solve then loses digits, and refinement against the
// unfactorised block has to win them back. Reference: the same system solved densely.
TEST(LinearSolver, TinyFixedPivotIsRefinedToTheDenseSolution)
{
    // Analysed as 3 x1 + x2 = 1, x1 + x2 = 2, so x1 is the pivot of the first row; then its
    // coefficient drops to `pivot`.
    for (const double pivot : {1e-6, 1e-10, 1e-13, -3e-14}) {
        SCOPED_TRACE(pivot);
        TranscriptHost host;
        Reporter reporter;
        LinearSystem system({{{1, 3}, {2, 1}}, {{1, 1}, {2, 1}}}, {1, 2});
        ASSERT_TRUE(system.analyse(reporter));
        ASSERT_EQ(system.matrix.entry(system.matrix.diagonal(1)).column, 1);
        system.coefficient[0] = pivot;
        const std::vector<double> reference = denseSolve({{pivot, 1}, {1, 1}}, {1, 2});
        const std::vector<double> x = system.solve(true);
        for (int v = 1; v <= 2; ++v)
            EXPECT_NEAR(x[v], reference[v - 1], 1e-9 * std::fabs(reference[v - 1]));
    }
}

// A well-scaled system is solved without refinement, so its digits stay as they were.
TEST(LinearSolver, WellScaledSystemIsNotRefined)
{
    TranscriptHost host;
    Reporter reporter;
    LinearSystem system({{{1, 4}, {2, 1}}, {{1, 1}, {2, 3}, {3, -1}}, {{2, 2}, {3, 5}}}, {1, 2, 3});
    ASSERT_TRUE(system.analyse(reporter));
    const std::vector<double> plain = system.solve(false);
    const std::vector<double> refined = system.solve(true);
    EXPECT_EQ(system.refinements, 0);
    EXPECT_EQ(plain, refined);
}

// Random sparse systems whose equations are numbered apart from their dominant variable
// (so that read-time diagonals are not the pivots), with a structure that ranges from
// many small groups to one strongly coupled group.
TEST(LinearSolver, RandomSparseSystemsMatchDenseElimination)
{
    std::mt19937 random(20240611);
    std::uniform_real_distribution<double> coefficientOf(-1.0, 1.0);
    int multiGroup = 0, withFill = 0;
    for (int n = 1; n <= 200; ++n) {
        SCOPED_TRACE(n);
        std::vector<int> dominant(n);
        for (int i = 0; i < n; ++i)
            dominant[i] = i + 1;
        std::shuffle(dominant.begin(), dominant.end(), random);
        const double density = std::min(1.0, (1.0 + n % 4) / n);
        std::bernoulli_distribution present(density);

        std::vector<Equation> equations(n);
        std::vector<std::vector<double>> dense(n, std::vector<double>(n, 0.0));
        std::vector<double> b(n);
        for (int i = 0; i < n; ++i) {
            double offSum = 0.0;
            for (int j = 1; j <= n; ++j) {
                if (j == dominant[i] || !present(random))
                    continue;
                const double a = coefficientOf(random);
                equations[i].emplace_back(j, a);
                offSum += std::fabs(a);
            }
            const double d =
                (offSum + 0.5 + std::fabs(coefficientOf(random))) * (random() % 2 ? 1 : -1);
            // The dominant variable somewhere inside the equation's variable list.
            const std::size_t at = equations[i].empty() ? 0 : random() % (equations[i].size() + 1);
            equations[i].insert(equations[i].begin() + static_cast<std::ptrdiff_t>(at),
                                {dominant[i], d});
            for (const auto& [j, a] : equations[i])
                dense[i][j - 1] = a;
            b[i] = 10.0 * coefficientOf(random);
        }

        TranscriptHost host;
        Reporter reporter;
        LinearSystem system(equations, b);
        ASSERT_TRUE(system.analyse(reporter)) << host.log;
        multiGroup += system.ordering.groupCount() > 1;
        withFill += system.matrix.fillInCount() > 0;
        const std::vector<double> x = system.solve();
        const std::vector<double> reference = denseSolve(dense, b);
        double scale = 0.0, error = 0.0;
        for (int j = 1; j <= n; ++j) {
            scale = std::max(scale, std::fabs(reference[j - 1]));
            error = std::max(error, std::fabs(x[j] - reference[j - 1]));
        }
        EXPECT_LE(error, 1e-9 * scale);

        // A second factorisation of the same values gives the same solution.
        const std::vector<double> again = system.solve();
        for (int j = 1; j <= n; ++j)
            EXPECT_EQ(again[j], x[j]);
    }
    // The sample exercised both splitting and fill-in.
    EXPECT_GT(multiGroup, 20);
    EXPECT_GT(withFill, 20);
}

// Large band and cyclic systems: the residual of the solution is small.
TEST(LinearSolver, LargeSystemsHaveSmallResiduals)
{
    const int n = 2000;
    std::vector<Equation> band(n), cyclic(n);
    std::vector<double> b(n);
    for (int i = 1; i <= n; ++i) {
        for (int j = std::max(1, i - 3); j <= std::min(n, i + 3); ++j)
            band[i - 1].emplace_back(j,
                                     j == i ? 8.0 : 1.0 / (1 + std::abs(i - j)) * (j < i ? -1 : 1));
        cyclic[i - 1] = {{i, 3.0}, {i % n + 1, 1.0}};
        b[i - 1] = std::sin(0.01 * i);
    }
    for (const auto* equations : {&band, &cyclic}) {
        TranscriptHost host;
        Reporter reporter;
        LinearSystem system(*equations, b);
        ASSERT_TRUE(system.analyse(reporter));
        const std::vector<double> x = system.solve();
        double worst = 0.0;
        for (int i = 1; i <= n; ++i) {
            double r = -b[i - 1];
            for (const auto& [j, a] : (*equations)[i - 1])
                r += a * x[j];
            worst = std::max(worst, std::fabs(r));
        }
        EXPECT_LE(worst, 1e-12);
    }
}

} // namespace
