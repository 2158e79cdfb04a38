// The differential-equation transform of a linear system of n states (a chain of coupled
// decays, x_i' = -2 x_i + x_(i+1), and t): the discretization by the trapezoidal rule once
// per run, and per time step the evaluation of every residual of the stepped set and the
// hand-over of the solved values to the previous-step copies.
#include "Discretization.h"
#include "EquationSet.h"
#include "Evaluator.h"
#include "Reporter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace {

using namespace varnel;

/// D(x_i, t) - (-2 x_i + x_(i+1)) = 0 for i = 1..n (x_(n+1) absent); variable n+1 is t.
EquationSet linearSystem(int n)
{
    EquationSet set;
    for (int i = 1; i <= n; ++i)
        set.variables.add("x" + std::to_string(i), 1.0);
    const auto t = static_cast<std::uint32_t>(set.variables.add("t", 0.0));
    const Token end = makeToken(kind::End, ' ', 0, 0.0);
    for (int i = 1; i <= n; ++i) {
        const auto x = static_cast<std::uint32_t>(i);
        Chain c = {makeVariable(x),    makeVariable(t), makeBinaryToken(op::Derivative),
                   makeConstant(-2.0), makeVariable(x), makeBinaryToken('*')};
        if (i < n) {
            c.push_back(makeVariable(x + 1));
            c.push_back(makeBinaryToken('+'));
        }
        c.push_back(makeBinaryToken('-'));
        c.push_back(end);
        set.equations.push_back({c, '=', 0});
    }
    return set;
}

void BM_Discretize(benchmark::State& state)
{
    const EquationSet original = linearSystem(static_cast<int>(state.range(0)));
    Reporter reporter;
    for (auto _ : state) {
        EquationSet set = original;
        SteppingPlan plan;
        benchmark::DoNotOptimize(discretize(set, StepRule::Trapezoidal, 0.01, reporter, plan));
    }
}
BENCHMARK(BM_Discretize)->Arg(50)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMicrosecond);

void BM_StepResidualsAndAdvance(benchmark::State& state)
{
    EquationSet set = linearSystem(static_cast<int>(state.range(0)));
    Reporter reporter;
    SteppingPlan plan;
    if (!discretize(set, StepRule::Trapezoidal, 0.01, reporter, plan)) {
        state.SkipWithError("discretize failed");
        return;
    }
    Evaluator evaluator(reporter);
    for (auto _ : state) {
        double sum = 0.0;
        for (const Equation& e : set.equations)
            sum += evaluator.evaluateReal(e.code, set.variables.values.data());
        benchmark::DoNotOptimize(sum);
        advanceStep(set, plan);
    }
}
BENCHMARK(BM_StepResidualsAndAdvance)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Arg(400)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
