// Reading speed of the language front: a generated file of 2000 equations (about
// 150 KB) read, parsed and turned to postfix by the equation-file reader.
#include "EquationFile.h"
#include "Reporter.h"
#include "TextFile.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string generatedFile(int n)
{
    std::string text =
        "{Options: 20 -8 NEWTON SYMBOLIC}\n{ generated: a banded system with functions }\n";
    for (int i = 1; i <= n; ++i) {
        const std::string x = "x" + std::to_string(i),
                          prev = "x" + std::to_string(i > 1 ? i - 1 : n);
        text += x + "^3 + 0.25*SIN(" + prev + ")*EXP(-" + x + "/10) - SQRT(1 + " + prev + "*" +
                prev + ") = " + std::to_string(i % 7) + ".5;\n";
    }
    return text;
}

void readGeneratedFile(benchmark::State& state)
{
    const auto dir = std::filesystem::temp_directory_path() / "varnel-reading-bench";
    std::filesystem::create_directories(dir);
    const std::string text = generatedFile(2000);
    std::ofstream(dir / "gen.ALG") << text;
    varnel::TextFile::setQuiet(true);
    for (auto _ : state) {
        varnel::RunSettings settings;
        varnel::EquationSet set;
        varnel::ParseState parse;
        varnel::Reporter reporter;
        varnel::TextFile input, results;
        const bool ok = varnel::readEquationFile((dir / "gen.ALG").string(), (dir / "gen").string(),
                                                 settings, set, reporter, input, results, parse);
        if (!ok || set.equationCount() != 2000)
            state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(set);
    }
    state.counters["bytes"] = static_cast<double>(text.size());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
    std::filesystem::remove_all(dir);
}
BENCHMARK(readGeneratedFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
