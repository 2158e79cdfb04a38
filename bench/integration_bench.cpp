// Differential equations end to end through the solver object: a chain of n coupled linear
// decays, x_i' = -2 x_i + x_(i+1), stepped 1000 times by the trapezoidal rule (mode "DDIT"),
// from reading the file to the last result row. Prints the total and the time per step.
#include "CVarnel.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string decayChain(int n)
{
    std::string text = "{Options: 30 -8 NEWTON SYMBOLIC}\n";
    for (int i = 1; i <= n; ++i) {
        text += "D(x" + std::to_string(i) + ", t) = -2*x" + std::to_string(i);
        if (i < n)
            text += " + x" + std::to_string(i + 1);
        text += ";\n";
    }
    // One starting value only: the saved set repeats every starting-value statement, and
    // with 400 states those would push the set read back past the statement limit. The
    // other states start at random values, which does not change the work per step.
    text += "x1 \xBB 1;\n";
    return text;
}

void run(int n, int steps, const std::filesystem::path& dir)
{
    const auto file = dir / ("chain" + std::to_string(n) + ".alg");
    std::ofstream(file) << decayChain(n);
    CVarnel solver;
    SolverOptions options;
    options.showResults = 0;
    options.repetitions = steps;
    options.deltaT = 0.01;
    solver.setOptions(&options);
    std::string path = file.string();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = solver.solve(path.data(), "DDIT");
    const double total =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("states %4d, %d steps: %s total %7.3f s, %8.3f ms per step\n", n, steps,
                ok ? "solved" : "FAILED", total, 1000.0 * total / steps);
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / "varnel-integration-bench";
    std::filesystem::create_directories(dir);
    for (int n : {50, 100, 200, 400})
        run(n, 1000, dir);
    std::filesystem::remove_all(dir);
    return 0;
}
