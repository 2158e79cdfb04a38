// Throughput of the evaluator in tokens per second: residual-like chains mixing arithmetic
// and elementary functions, as the Newton iteration runs them, in real and complex mode.
#include "Code.h"
#include "Evaluator.h"
#include "Reporter.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

using namespace varnel;

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

void append(Chain& chain, std::initializer_list<Token> tokens)
{
    chain.insert(chain.end(), tokens.begin(), tokens.end());
}

/// A sum of terms over seven variables: about one token in six is a function or a power.
Chain mixedChain()
{
    Chain c;
    for (std::uint32_t k = 0; k < 6; ++k) {
        const std::uint32_t v = 1 + k % 8;
        // 0.7 * x * sin(x + 0.3) - exp(-x / 2) + sqrt(x * x + 1) / (x + 2) - ln(x + 1.5) * x ^ 2
        append(c, {C(0.7), X(v), B('*'), X(v), C(0.3), B('+'), U('S'), B('*')});
        append(c, {X(v + 1), C(2), B('/'), U('-'), U('E'), B('-')});
        append(c,
               {X(v), X(v + 1), B('*'), C(1), B('+'), U('Q'), X(v), C(2), B('+'), B('/'), B('+')});
        append(c, {X(v + 1), C(1.5), B('+'), U('L'), X(v), C(2), B('^'), B('*'), B('-')});
        if (k > 0)
            append(c, {B('+')});
    }
    append(c, {makeToken(kind::End, ' ', 0, 0.0)});
    return c;
}

/// Sums and products only.
Chain arithmeticChain()
{
    Chain c;
    for (std::uint32_t k = 0; k < 10; ++k) {
        const std::uint32_t v = 1 + k % 8;
        append(c, {X(v), C(1.5), B('*'), X(v + 1), B('-'), X(v), C(3), B('+'), B('/')});
        if (k > 0)
            append(c, {B('+')});
    }
    append(c, {makeToken(kind::End, ' ', 0, 0.0)});
    return c;
}

void run(benchmark::State& state, const Chain& chain, bool complexMode)
{
    Reporter reporter;
    Evaluator evaluator(reporter);
    evaluator.complexMode = complexMode;
    std::vector<double> values{0, 0.31, 0.77, 1.23, 1.91, 2.47, 0.58, 1.05, 1.66, 0.92};
    evaluator.evaluate(chain, values.data());
    if (evaluator.error().mark()) {
        state.SkipWithError("the benchmark chain does not evaluate cleanly");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(evaluator.evaluate(chain, values.data()));
        values[1] += 1e-12; // keep the inputs moving
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(chain.size()));
    state.counters["tokens"] = static_cast<double>(chain.size());
}

void realMixed(benchmark::State& state)
{
    run(state, mixedChain(), false);
}
void realArithmetic(benchmark::State& state)
{
    run(state, arithmeticChain(), false);
}
void complexMixed(benchmark::State& state)
{
    run(state, mixedChain(), true);
}

} // namespace

BENCHMARK(realMixed);
BENCHMARK(realArithmetic);
BENCHMARK(complexMixed);

BENCHMARK_MAIN();
