// Printing speed of the equation printer in bytes of equation text per second: the
// equations of the generated 2000-equation power-flow system (the one derivative_bench
// differentiates) and their folded derivatives, as the symbolic exports print them, and
// the saving of that set in the layout of a file with a comment per equation.
#include "Code.h"
#include "Differentiator.h"
#include "EquationPrinter.h"
#include "EquationSaver.h"
#include "LineWriter.h"
#include "PowerFlowSystem.h"
#include "Reporter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace varnel;

EquationSet generatedSet()
{
    EquationSet set;
    for (std::uint32_t bus = 0; bus < bench::kBuses; ++bus) {
        set.variables.add("V" + std::to_string(bus + 1), 1.0);
        set.variables.add("theta" + std::to_string(bus + 1), 0.0);
    }
    for (Chain& code : bench::powerFlowSystem())
        set.equations.push_back({std::move(code), '=', 0});
    return set;
}

void printEquations(benchmark::State& state)
{
    const EquationSet set = generatedSet();
    std::vector<Chain> prefix;
    for (const Equation& eq : set.equations)
        prefix.push_back(toPrefix(eq.code));
    Reporter reporter;
    EquationPrinter printer(set.variables, reporter);
    std::string out;
    for (auto _ : state) {
        out.clear();
        LineWriter writer(out);
        for (const Chain& p : prefix)
            if (!printer.printEquation(p, '=', writer)) {
                state.SkipWithError("an equation could not be printed");
                return;
            }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(out.size()));
    state.counters["text_bytes"] = static_cast<double>(out.size());
}
BENCHMARK(printEquations)->Unit(benchmark::kMillisecond);

void printDerivatives(benchmark::State& state)
{
    const EquationSet set = generatedSet();
    Reporter reporter;
    Differentiator differentiator(reporter);
    std::vector<Chain> derivatives;
    Chain derivative;
    for (const Equation& eq : set.equations) {
        std::vector<std::uint32_t> seen;
        for (const Token& t : eq.code) {
            if (t.kind != kind::Variable)
                continue;
            bool known = false;
            for (const std::uint32_t v : seen)
                known = known || v == t.index;
            if (known)
                continue;
            seen.push_back(t.index);
            if (!differentiator.differentiate(eq.code, t.index, derivative)) {
                state.SkipWithError("a derivative was refused");
                return;
            }
            derivatives.push_back(toPrefix(derivative));
        }
    }
    EquationPrinter printer(set.variables, reporter);
    std::string out;
    for (auto _ : state) {
        out.clear();
        LineWriter writer(out);
        for (const Chain& p : derivatives)
            if (!printer.printEquation(p, ' ', writer)) {
                state.SkipWithError("a derivative could not be printed");
                return;
            }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(out.size()));
    state.counters["derivatives"] = static_cast<double>(derivatives.size());
    state.counters["text_bytes"] = static_cast<double>(out.size());
}
BENCHMARK(printDerivatives)->Unit(benchmark::kMillisecond);

void saveEquationSet(benchmark::State& state)
{
    const EquationSet set = generatedSet();
    std::string text = "{Options: 20 -8 NEWTON SYMBOLIC}\n";
    for (int i = 1; i <= set.equationCount(); ++i)
        text += "{ bus balance " + std::to_string(i) + " } P = Q;\n";
    Reporter reporter;
    std::string out;
    for (auto _ : state) {
        out.clear();
        if (!saveEquations(text, set, true, reporter, out)) {
            state.SkipWithError("the set could not be saved");
            return;
        }
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(out.size()));
    state.counters["text_bytes"] = static_cast<double>(out.size());
}
BENCHMARK(saveEquationSet)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
