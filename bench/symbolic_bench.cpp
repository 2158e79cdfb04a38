// End-to-end symbolic-Jacobian runs (mode "ASJ") of the generated 2000-equation power-flow
// system, the one derivative_bench differentiates, written as an equation file: reading,
// compiling, differentiating, the listing and the ".SJC" file of every printed term.
// Prints one line per run with the size of the file written.
#include "CVarnel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kBuses = 1000; // two equations per bus

/// The active (reactive) power balance of bus i in polar form with its three neighbours:
/// V_i * sum_k V_k * (G_ik * COS(th_i - th_k) + B_ik * SIN(th_i - th_k)) = P_i, the
/// reactive one with SIN and -COS exchanged.
std::string powerBalance(int i, bool reactive)
{
    const int neighbours[] = {(i + 1) % kBuses, (i + kBuses - 1) % kBuses, (i * 7 + 13) % kBuses};
    char g[32], b[32];
    std::snprintf(g, sizeof g, "%.2f", 1.0 + 0.01 * (i % 17));
    std::snprintf(b, sizeof b, "%.1f", -5.0 - 0.1 * (i % 11));
    const std::string first = reactive ? "SIN" : "COS", second = reactive ? "COS" : "SIN";
    const std::string vi = "V" + std::to_string(i), ti = "t" + std::to_string(i);
    std::string text = vi + "*(";
    for (int n = 0; n < 3; ++n) {
        const std::string k = std::to_string(neighbours[n]);
        const std::string diff = "(" + ti + "-t" + k + ")";
        text += (n > 0 ? " + V" : "V") + k + "*(" + g + "*" + first + diff +
                (reactive ? " - " : " + ") + b + "*" + second + diff + ")";
    }
    text += reactive ? ") = 0.3;\n" : ") = 0.9;\n";
    return text;
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / "varnel-symbolic-bench";
    std::filesystem::create_directories(dir);
    const auto file = dir / "powerflow.alg";
    {
        std::ofstream out(file);
        out << "{Options: 20 -8 NEWTON SYMBOLIC}\n";
        for (int i = 0; i < kBuses; ++i)
            out << powerBalance(i, false) << powerBalance(i, true);
    }
    double best = 1e9;

    bool ok = true;
    for (int run = 0; run < 5; ++run) {
        CVarnel solver;
        SolverOptions options;
        options.showResults = 0;
        solver.setOptions(&options);
        std::string path = file.string();
        const auto start = std::chrono::steady_clock::now();
        ok = solver.solve(path.data(), "ASJ") && ok;
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    const auto written = std::filesystem::file_size(dir / "powerflow.SJC");
    std::printf("ASJ powerflow n=%d %s best of 5 %.4f s  .SJC %.1f MB\n", 2 * kBuses,
                ok ? "done" : "FAILED", best, static_cast<double>(written) / 1e6);
    std::filesystem::remove_all(dir);
    return ok ? 0 : 1;
}
