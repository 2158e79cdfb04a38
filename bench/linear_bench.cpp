// Ordering, factorisation and solution of banded systems of 250 to 2000 equations: the
// whole analysis of a step (structural pass, grouping, numeric passes) followed by one
// factorisation and one solve per group, as one Newton iteration needs them.
#include "EquationOrdering.h"
#include "LinearSolver.h"
#include "Reporter.h"
#include "SparseMatrix.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace varnel;

namespace {

constexpr int kHalfBand = 3;

// A diagonally dominant band of half-width kHalfBand, listed row by row.
void buildBand(SparseMatrix& matrix, std::vector<double>& coefficient, int n)
{
    matrix.reset(n);
    coefficient.clear();
    for (int i = 1; i <= n; ++i)
        for (int j = std::max(1, i - kHalfBand); j <= std::min(n, i + kHalfBand); ++j) {
            matrix.add(i, j);
            coefficient.push_back(i == j ? 4.0 * kHalfBand : 1.0 / (1 + std::abs(i - j)));
        }
}

void evaluateRow(SparseMatrix& matrix, const std::vector<double>& coefficient, int row)
{
    for (int e = matrix.rowHead(row); e >= 0; e = matrix.entry(e).nextInRow)
        if (!matrix.entry(e).fillIn)
            matrix.entry(e).value = coefficient[e];
}

void orderFactorSolve(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    SparseMatrix matrix;
    std::vector<double> coefficient;
    buildBand(matrix, coefficient, n);
    EquationOrdering ordering;
    EliminationWorkspace workspace;
    Reporter reporter; // no callback installed: messages go nowhere
    std::vector<double> work(n + 1);
    for (auto _ : state) {
        const bool ok = ordering.analyseSystem(
            matrix,
            [&] {
                for (int i = 1; i <= n; ++i)
                    evaluateRow(matrix, coefficient, i);
            },
            [&](int g) {
                for (int k = ordering.groupFirst(g); k <= ordering.groupLast(g); ++k)
                    evaluateRow(matrix, coefficient, ordering.equationAt(k));
            },
            reporter, false, nullptr);
        if (!ok)
            state.SkipWithError("singular");
        for (int g = 1; g <= ordering.groupCount(); ++g) {
            for (int k = ordering.groupFirst(g); k <= ordering.groupLast(g); ++k) {
                evaluateRow(matrix, coefficient, ordering.equationAt(k));
                work[k] = std::sin(0.01 * k);
            }
            factorGroup(matrix, ordering, g, workspace);
            solveGroup(matrix, ordering, g, work);
        }
        benchmark::DoNotOptimize(work.data());
    }
    state.counters["entries"] = static_cast<double>(matrix.entryCount());
    state.counters["fill"] = static_cast<double>(matrix.fillInCount());
}

void factorSolveOnly(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    SparseMatrix matrix;
    std::vector<double> coefficient;
    buildBand(matrix, coefficient, n);
    EquationOrdering ordering;
    EliminationWorkspace workspace;
    Reporter reporter;
    const auto all = [&] {
        for (int i = 1; i <= n; ++i)
            evaluateRow(matrix, coefficient, i);
    };
    if (!ordering.analyseSystem(
            matrix, all, [&](int) { all(); }, reporter, false, nullptr))
        state.SkipWithError("singular");
    std::vector<double> work(n + 1);
    for (auto _ : state) {
        all();
        for (int g = 1; g <= ordering.groupCount(); ++g) {
            for (int k = ordering.groupFirst(g); k <= ordering.groupLast(g); ++k)
                work[k] = std::sin(0.01 * k);
            factorGroup(matrix, ordering, g, workspace);
            solveGroup(matrix, ordering, g, work);
        }
        benchmark::DoNotOptimize(work.data());
    }
}

} // namespace

BENCHMARK(orderFactorSolve)
    ->Arg(250)
    ->Arg(500)
    ->Arg(1000)
    ->Arg(2000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(factorSolveOnly)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
