// Fourier analysis of a result table of 65,536 rows (the time, the two signal columns and
// two more, as a graph run for the transform writes it), end to end: the table read, the
// transform of all samples, amplitude and phase, and the ".FFT" text of every harmonic.
// Also the table reading alone and the transform alone.
#include "FourierAnalysis.h"
#include "Reporter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSamples = 65536;

std::string generatedTable(int n)
{
    std::string text =
        "              t             vr             vi              a              b\n";
    char line[128];
    for (int k = 0; k < n; ++k) {
        const double t = 6.283185 * k / n;
        std::snprintf(line, sizeof line, "%15.7lf%15.7lf%15.7lf%15.7lf%15.7lf\n", t,
                      std::cos(3 * t) + 0.5 * std::sin(7 * t), 0.25 * std::sin(t), 1.0, 2.0 * t);
        text += line;
    }
    return text;
}

void fourierOfResultTable(benchmark::State& state)
{
    const auto dir = std::filesystem::temp_directory_path() / "varnel-fft-bench";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "run.PRN").string();
    std::ofstream(path) << generatedTable(kSamples);
    for (auto _ : state) {
        varnel::Reporter reporter;
        varnel::FourierAnalysis analysis(reporter);
        varnel::FourierAnswers answers;
        answers.independentColumn = 0;
        answers.realColumn = 1;
        answers.imagColumn = 2;
        answers.lastHarmonic = kSamples - 1;
        std::string out;
        const bool ok = analysis.readTable(path) && analysis.analyse(answers, {}) &&
                        analysis.writeTable([&](std::string_view text) {
                            out = text;
                            return true;
                        });
        if (!ok || analysis.result().transformed != kSamples)
            state.SkipWithError("analysis failed");
        benchmark::DoNotOptimize(out);
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(fourierOfResultTable)->Unit(benchmark::kMillisecond);

void tableReadOnly(benchmark::State& state)
{
    const auto dir = std::filesystem::temp_directory_path() / "varnel-fft-bench-read";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "run.PRN").string();
    const std::string text = generatedTable(kSamples);
    std::ofstream(path) << text;
    for (auto _ : state) {
        varnel::Reporter reporter;
        varnel::ResultTableData table;
        if (!varnel::readResultTable(path, table, reporter))
            state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(table);
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(tableReadOnly)->Unit(benchmark::kMillisecond);
void transformOnly(benchmark::State& state)
{
    std::vector<std::complex<double>> signal(kSamples);
    for (int k = 0; k < kSamples; ++k)
        signal[static_cast<std::size_t>(k)] = {std::cos(0.01 * k), std::sin(0.03 * k)};
    std::vector<std::complex<double>> out;
    for (auto _ : state) {
        varnel::radix2Transform(1, 16, signal.data(), 0, 1, out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(transformOnly)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
