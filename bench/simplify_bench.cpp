// Time to simplify the equations of the generated 2000-equation power-flow system and
// every derivative of them (the codes the symbolic Jacobian holds), as simplifying a set
// and its Jacobian does: the average per expression is the figure to watch.
#include "Code.h"
#include "Differentiator.h"
#include "PowerFlowSystem.h"
#include "Reporter.h"
#include "Simplifier.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using namespace varnel;
using varnel::bench::variablesOf;

/// The equations followed by every derivative of each with respect to its variables.
std::vector<Chain> expressions()
{
    Reporter reporter;
    Differentiator differentiator(reporter);
    std::vector<Chain> all = bench::powerFlowSystem();
    const std::size_t equations = all.size();
    for (std::size_t e = 0; e < equations; ++e) {
        for (std::uint32_t v : variablesOf(all[e])) {
            Chain derivative;
            if (differentiator.differentiate(all[e], v, derivative))
                all.push_back(derivative);
        }
    }
    return all;
}

void simplifySystem(benchmark::State& state)
{
    const std::vector<Chain> input = expressions();
    Reporter reporter;
    Simplifier simplifier(reporter);
    std::vector<Chain> work;
    std::int64_t before = 0, after = 0;
    for (auto _ : state) {
        state.PauseTiming();
        work = input;
        state.ResumeTiming();
        for (Chain& code : work)
            simplifier.simplifyEquation(code);
        benchmark::DoNotOptimize(work.data());
    }
    for (std::size_t k = 0; k < input.size(); ++k) {
        before += static_cast<std::int64_t>(input[k].size());
        after += static_cast<std::int64_t>(work[k].size());
    }
    state.counters["expressions"] = static_cast<double>(input.size());
    state.counters["tokens_before"] = static_cast<double>(before);
    state.counters["tokens_after"] = static_cast<double>(after);
    state.counters["us_per_expression"] = benchmark::Counter(
        static_cast<double>(input.size()) * 1e-6,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(simplifySystem)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
