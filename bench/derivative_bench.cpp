// Time to build the symbolic Jacobian's codes: every equation of a generated 2000-equation
// power-flow system differentiated, and folded, with respect to each of its variables, as
// the Jacobian listing does once per run.
#include "Code.h"
#include "Differentiator.h"
#include "PowerFlowSystem.h"
#include "Reporter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using namespace varnel;
using varnel::bench::variablesOf;

void differentiateSystem(benchmark::State& state)
{
    const std::vector<Chain> system = bench::powerFlowSystem();
    std::vector<std::vector<std::uint32_t>> variables;
    for (const Chain& equation : system)
        variables.push_back(variablesOf(equation));
    Reporter reporter;
    Differentiator differentiator(reporter);
    Chain derivative;
    std::int64_t derivatives = 0;
    std::int64_t tokens = 0;
    for (auto _ : state) {
        derivatives = 0;
        tokens = 0;
        for (std::size_t e = 0; e < system.size(); ++e) {
            for (std::uint32_t v : variables[e]) {
                if (!differentiator.differentiate(system[e], v, derivative)) {
                    state.SkipWithError("a derivative was refused");
                    return;
                }
                ++derivatives;
                tokens += static_cast<std::int64_t>(derivative.size());
            }
        }
        benchmark::DoNotOptimize(derivative.data());
    }
    state.counters["equations"] = static_cast<double>(system.size());
    state.counters["derivatives"] = static_cast<double>(derivatives);
    state.counters["folded_tokens"] = static_cast<double>(tokens);
    // Time per derivative (CPU), in seconds: the figure to compare with a microsecond.
    state.counters["per_derivative"] = benchmark::Counter(
        static_cast<double>(derivatives),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(differentiateSystem)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
