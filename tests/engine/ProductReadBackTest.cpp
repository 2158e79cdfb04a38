// Runs that write a derived equation file and then solve it: the text they solve is the
// one they wrote. Here another writer (as another run of the same file would) replaces
// the file as soon as it appears; the values must still be those of the run's own text.
#include "TranscriptHost.h"

#include "varnel/Varnel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

using namespace varnel::test;
namespace fs = std::filesystem;

namespace {

fs::path g_derived;      // the file to replace once it exists
bool g_replaced = false; // it was replaced during the run

void replaceDerivedFile(char*)
{
    if (g_replaced || !fs::exists(g_derived))
        return;
    writeFile(g_derived, "{Options: 30 -10 NEWTON SYMBOLIC}\nx = 12345;\ny = 54321;\n");
    g_replaced = true;
}

TEST(ProductReadBack, ARunSolvesTheTextItWroteNotTheFileAsItIsLater)
{
    const struct {
        const char* mode;
        const char* text;
        const char* variable;
        double expected; // closed form
    } cases[] = {
        // Trapezoidal rule on y' = -y, 20 steps of 0.1: y = (0.95/1.05)^20.
        {"DDIT", "{Options: 30 -12 NEWTON SYMBOLIC}\nD(y, t) = -y;\nx = 2*y;\ny \xBB 1;\n", "y",
         std::pow(0.95 / 1.05, 20)},
        // The minimum of a quadratic bowl: the gradient 2(x-1)+y, 4(y+3)+x is zero at x = 20/7.
        {"O", "{Options: 50 -12 NEWTON SYMBOLIC}\n(x-1)^2 + 2*(y+3)^2 + x*y;\n", "x", 20.0 / 7.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        TempDir dir;
        writeFile(dir / "run.alg", c.text);
        g_derived = dir / "run.SJC";
        g_replaced = false;
        std::unique_ptr<CVarnelInterface> solver(getSolver(replaceDerivedFile, nullptr, 0));
        SolverOptions options;
        options.deltaT = 0.1;
        options.repetitions = 20;
        options.showResults = 0;
        solver->setOptions(&options);
        std::string path = (dir / "run.alg").string();
        ASSERT_TRUE(solver->solve(path.data(), c.mode));
        EXPECT_TRUE(g_replaced);
        bool found = false;
        for (int i = 0; i < solver->variableCount(); ++i)
            if (std::string(solver->variableName(i)) == c.variable) {
                found = true;
                EXPECT_NEAR(solver->variableValue(i), c.expected, 1e-9);
            }
        EXPECT_TRUE(found);
    }
}

} // namespace
