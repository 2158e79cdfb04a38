// Printing speed of the equation printer in bytes of equation text per second: the
// equations of the generated 2000-equation power-flow system (the one derivative_bench
// differentiates) and their folded derivatives, as the symbolic exports print them, and
// the saving of that set in the layout of a file with a comment per equation.
#include "Code.h"
#include "Differentiator.h"
#include "EquationPrinter.h"
#include "EquationSaver.h"
#include "LineWriter.h"
#include "Reporter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace varnel;

constexpr std::uint32_t kBuses = 1000; // two equations per bus

Token C(double v)
{
    return makeConstant(v);
}
Token X(std::uint32_t k)
{
    return makeVariable(k);
}
Token B(std::uint8_t code)
{
    return makeBinaryToken(code);
}
Token U(std::uint8_t code)
{
    return makeUnaryToken(code);
}

std::uint32_t magnitude(std::uint32_t bus)
{
    return 2 * bus + 1;
}
std::uint32_t angle(std::uint32_t bus)
{
    return 2 * bus + 2;
}

void append(Chain& chain, std::initializer_list<Token> tokens)
{
    chain.insert(chain.end(), tokens.begin(), tokens.end());
}

/// The active (reactive) power balance of bus i in polar form, with its three neighbours.
Chain powerBalance(std::uint32_t i, bool reactive)
{
    const std::uint32_t neighbours[] = {(i + 1) % kBuses, (i + kBuses - 1) % kBuses,
                                        (i * 7 + 13) % kBuses};
    const double g = 1.0 + 0.01 * (i % 17), b = -5.0 - 0.1 * (i % 11);
    const std::uint8_t first = reactive ? 'S' : 'C', second = reactive ? 'C' : 'S';
    Chain c;
    c.push_back(X(magnitude(i)));
    for (int n = 0; n < 3; ++n) {
        const std::uint32_t k = neighbours[n];
        append(c, {X(magnitude(k)), C(g), X(angle(i)), X(angle(k)), B('-'), U(first), B('*'), C(b),
                   X(angle(i)), X(angle(k)), B('-'), U(second), B('*'), B(reactive ? '-' : '+'),
                   B('*')});
        if (n > 0)
            c.push_back(B('+'));
    }
    append(c, {B('*'), C(reactive ? 0.3 : 0.9), B('-'), makeToken(kind::End, ' ', 0, 0.0)});
    return c;
}

EquationSet generatedSet()
{
    EquationSet set;
    for (std::uint32_t bus = 0; bus < kBuses; ++bus) {
        set.variables.add("V" + std::to_string(bus + 1), 1.0);
        set.variables.add("theta" + std::to_string(bus + 1), 0.0);
    }
    for (std::uint32_t i = 0; i < kBuses; ++i)
        for (const bool reactive : {false, true})
            set.equations.push_back({powerBalance(i, reactive), '=', 0});
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
        if (!saveEquations(text, set, true, "bench.SJC", reporter, out)) {
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
