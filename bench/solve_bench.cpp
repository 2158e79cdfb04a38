// End-to-end "S" runs of generated sparse nonlinear systems, from the file to the result
// table, with the time split into reading (and compiling), differentiation, structure
// and ordering, the Newton iterations, and writing the Jacobian listing (on a second
// thread, overlapping the iterations). Prints one line per system and size.
#include "CVarnel.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

/// A banded chain: x_i^3 + x_i + 0.1 (x_{i-1} + x_{i+1}) + 0.05 SIN(x_{i-1} x_i) = b_i,
/// with b chosen so that every x_i = 1 solves it; one coupled group.
std::string bandedChain(int n)
{
    std::string text = "{Options: 20 -8 NEWTON SYMBOLIC}\n";
    for (int i = 1; i <= n; ++i) {
        std::string lhs = "x" + std::to_string(i) + "^3 + x" + std::to_string(i);
        double b = 2.0;
        if (i > 1) {
            lhs += " + 0.1*x" + std::to_string(i - 1) + " + 0.05*SIN(x" + std::to_string(i - 1) +
                   "*x" + std::to_string(i) + ")";
            b += 0.1 + 0.05 * std::sin(1.0);
        }
        if (i < n) {
            lhs += " + 0.1*x" + std::to_string(i + 1);
            b += 0.1;
        }
        char rhs[64];
        std::snprintf(rhs, sizeof rhs, "%.17g", b);
        text += lhs + " = " + rhs + ";\n";
    }
    return text;
}

/// Blocks of two coupled equations, each block fed by the previous one: many small
/// groups solved one after the other.
std::string blockSystem(int n)
{
    std::string text = "{Options: 20 -8 NEWTON SYMBOLIC}\n";
    for (int k = 1; 2 * k <= n; ++k) {
        const std::string a = "a" + std::to_string(k), b = "b" + std::to_string(k);
        const std::string feed = k > 1 ? " + 0.1*a" + std::to_string(k - 1) : std::string();
        text += a + "*" + a + " + " + b + " = 3" + feed + (k > 1 ? " - 0.1*2" : "") + ";\n";
        text += a + " - " + b + " = 1;\n";
    }
    return text;
}

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

void run(const char* name, const std::string& text, int n, const std::filesystem::path& dir)
{
    const auto file = dir / (std::string(name) + std::to_string(n) + ".alg");
    std::ofstream(file) << text;
    CVarnel solver;
    SolverOptions options;
    options.showResults = 0;
    solver.setOptions(&options);
    std::string path = file.string();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = solver.solve(path.data(), "S");
    const double total = seconds(std::chrono::steady_clock::now() - start);
    const varnel::PhaseTimes& t = solver.context().times;
    std::printf("%-8s n=%5d %s total %7.4f s  reading %7.4f  differentiation %7.4f  "
                "structure+ordering %7.4f  "
                "iterations %7.4f  writing %7.4f (overlapped)\n",
                name, n, ok ? "solved" : "FAILED", total, t.reading, t.differentiation, t.structure,
                t.iterations, t.writing);
}

} // namespace

int main()
{
    const auto dir = std::filesystem::temp_directory_path() / "varnel-solve-bench";
    std::filesystem::create_directories(dir);
    for (int n : {250, 500, 1000, 2000})
        run("banded", bandedChain(n), n, dir);
    for (int n : {250, 500, 1000, 2000})
        run("blocks", blockSystem(n), n, dir);
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory %.1f MB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
    // VARNEL_BENCH_KEEP=1 leaves the files (and their products) for timing varnel-cli runs.
    const char* keep = std::getenv("VARNEL_BENCH_KEEP");
    if (keep == nullptr || std::string(keep) != "1")
        std::filesystem::remove_all(dir);
    return 0;
}
