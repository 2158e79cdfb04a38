// Time to build the symbolic Jacobian's codes: every equation of a generated 2000-equation
// power-flow system differentiated, and folded, with respect to each of its variables, as
// the Jacobian listing does once per run.
#include "Code.h"
#include "Differentiator.h"
#include "Reporter.h"

#include <benchmark/benchmark.h>

#include <cstdint>
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

/// The active (reactive) power balance of bus i in polar form, with its three neighbours:
/// V_i * sum_k V_k * (G_ik * COS(th_i - th_k) + B_ik * SIN(th_i - th_k)) - P_i,
/// the reactive one with SIN and -COS exchanged.
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

std::vector<Chain> generatedSystem()
{
    std::vector<Chain> system;
    for (std::uint32_t i = 0; i < kBuses; ++i) {
        system.push_back(powerBalance(i, false));
        system.push_back(powerBalance(i, true));
    }
    return system;
}

/// Variables of an equation in order of first occurrence, each once.
std::vector<std::uint32_t> variablesOf(const Chain& equation)
{
    std::vector<std::uint32_t> variables;
    for (const Token& t : equation) {
        if (t.kind != kind::Variable)
            continue;
        bool seen = false;
        for (std::uint32_t v : variables)
            seen = seen || v == t.index;
        if (!seen)
            variables.push_back(t.index);
    }
    return variables;
}

void differentiateSystem(benchmark::State& state)
{
    const std::vector<Chain> system = generatedSystem();
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
