// Two solver objects solving different files on two threads at once: every value and
// every product file must come out exactly as when the runs go one after the other.
// Also built with ThreadSanitizer in CI (VARNEL_TSAN).
#include "TranscriptHost.h"

#include "Reporter.h"
#include "varnel/Varnel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace varnel::test;

namespace {

std::atomic<int> g_pieces{0};
void countOutput(char*)
{
    g_pieces.fetch_add(1, std::memory_order_relaxed);
}

struct Result {
    bool ok = false;
    std::vector<std::string> names;
    std::vector<double> values;
    std::string table;   // ".PRN"
    std::string listing; // ".JAC"
};

Result solveOnce(const std::filesystem::path& file, int jacobianMethod)
{
    std::unique_ptr<CVarnelInterface> solver(getSolver());
    SolverOptions options;
    options.jacobianMethod = jacobianMethod;
    options.showResults = 0;
    solver->setOptions(&options);
    std::string path = file.string();
    Result r;
    r.ok = solver->solve(path.data(), "S");
    for (int i = 0; i < solver->variableCount(); ++i) {
        r.names.emplace_back(solver->variableName(i));
        r.values.push_back(solver->variableValue(i));
    }
    std::filesystem::path base = file;
    r.table = readFile(base.replace_extension(".PRN"));
    r.listing = readFile(base.replace_extension(".JAC"));
    return r;
}

void expectSame(const Result& a, const Result& b, const std::string& what)
{
    EXPECT_EQ(a.ok, b.ok) << what;
    EXPECT_EQ(a.names, b.names) << what;
    // A starting-value statement sets v := v - (v - c) from a random first guess, so the
    // start, and with it the last bit of a root, may differ between objects.
    ASSERT_EQ(a.values.size(), b.values.size()) << what;
    for (std::size_t i = 0; i < a.values.size(); ++i)
        EXPECT_NEAR(a.values[i], b.values[i], 1e-12 * (1.0 + std::fabs(b.values[i]))) << what;
    EXPECT_EQ(a.table, b.table) << what;
    EXPECT_EQ(a.listing, b.listing) << what;
}

/// A nonlinear chain with a starting value for every unknown, so runs are repeatable.
std::string chain(int n, double start)
{
    std::string text = "{Options: 30 -10 NEWTON SYMBOLIC}\n";
    for (int i = 1; i <= n; ++i) {
        const std::string x = "x" + std::to_string(i);
        text += x + "^3 + " + x + (i > 1 ? " + 0.2*SIN(x" + std::to_string(i - 1) + ")" : "") +
                " = " + std::to_string(i % 7 + 1) + ";\n";
        text += x + "\xBB" + std::to_string(start) + ";\n";
    }
    return text;
}

TEST(ConcurrentSolve, TwoObjectsOnTwoThreadsMatchSequentialRuns)
{
    varnel::setLibraryOutputCallback(countOutput);
    TempDir dir;
    std::filesystem::create_directories(dir / "a");
    std::filesystem::create_directories(dir / "b");
    const std::filesystem::path fileA = dir / "a" / "chain.alg";
    const std::filesystem::path fileB = dir / "b" / "linkage.alg";
    writeFile(fileA, chain(150, 1.5));
    writeFile(fileB, "{Options: 30 -10 NEWTON SYMBOLIC}\n"
                     "a = 2; b = 7; c = 9; d = 6;\n"
                     "2*COS(1.0471975511965976) + b*COS(t3) - c*COS(t4) - d = 0;\n"
                     "a*SIN(1.0471975511965976) + b*SIN(t3) - c*SIN(t4) = 0;\n"
                     "t3 \xBB 1.2; t4 \xBB 1.9; a \xBB 1; b \xBB 1; c \xBB 1; d \xBB 1;\n");

    for (int method : {0, 1}) {
        const Result soloA = solveOnce(fileA, method);
        const Result soloB = solveOnce(fileB, method);
        ASSERT_TRUE(soloA.ok);
        ASSERT_TRUE(soloB.ok);

        constexpr int kRounds = 4;
        std::vector<Result> parallelA(kRounds), parallelB(kRounds);
        std::thread first([&] {
            for (Result& r : parallelA)
                r = solveOnce(fileA, method);
        });
        std::thread second([&] {
            for (Result& r : parallelB)
                r = solveOnce(fileB, method);
        });
        first.join();
        second.join();
        for (int k = 0; k < kRounds; ++k) {
            expectSame(parallelA[k], soloA, "chain, method " + std::to_string(method));
            expectSame(parallelB[k], soloB, "linkage, method " + std::to_string(method));
        }
    }
    varnel::setLibraryOutputCallback(nullptr);
    EXPECT_GT(g_pieces.load(), 0);
}

} // namespace
