// Complex mode with both Jacobian methods: the symbolic derivatives are folded in complex
// arithmetic like the equations themselves, so a system that the incremental Jacobian
// solves is solved by the symbolic one to the same answer (and against closed forms).
#include "TranscriptHost.h"

#include "varnel/Varnel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

using namespace varnel::test;

namespace {

struct Outcome {
    bool ok = false;
    std::map<std::string, double> values;
};

Outcome solveFile(const std::filesystem::path& path, const SolverOptions& options = {})
{
    std::unique_ptr<CVarnelInterface> solver(getSolver());
    solver->setOptions(&options);
    std::string buffer = path.string();
    Outcome out;
    out.ok = solver->solve(buffer.data(), "S");
    for (int i = 0; i < solver->variableCount(); ++i)
        out.values[solver->variableName(i)] = solver->variableValue(i);
    return out;
}

/// The file's text with its options line's Jacobian method replaced.
std::string withJacobian(std::string text, const std::string& method)
{
    for (const char* m : {"SYMBOLIC", "INCREMENTAL"}) {
        const std::size_t at = text.find(m);
        if (at != std::string::npos && at < text.find('}'))
            return text.replace(at, std::string(m).size(), method);
    }
    ADD_FAILURE() << "no Jacobian method in the options line";
    return text;
}

TEST(ComplexMode, SymbolicJacobianSolvesLikeIncremental)
{
    // y*2i = 2 gives y = -i.
    const std::string text = "{Options: 20 -10 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 COMPLEX}\n"
                             "x = 2;\ny*SQRT(-4) = x;\n";
    TempDir dir;
    for (const char* method : {"SYMBOLIC", "INCREMENTAL"}) {
        writeFile(dir / "c.alg", withJacobian(text, method));
        TranscriptHost host;
        const Outcome run = solveFile(dir / "c.alg");
        ASSERT_TRUE(run.ok) << method << "\n" << host.log;
        EXPECT_NEAR(run.values.at("yr"), 0.0, 1e-9) << method;
        EXPECT_NEAR(run.values.at("yi"), -1.0, 1e-9) << method;
        EXPECT_EQ(host.log.find("group failed"), std::string::npos) << method;
    }
}

TEST(ComplexMode, EveryComplexExampleGivesTheSameAnswerWithBothJacobians)
{
    const std::filesystem::path examples = std::filesystem::path(VARNEL_SOURCE_DIR) / "examples";
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(examples)) {
        if (entry.path().extension() != ".alg")
            continue;
        const std::string text = readFile(entry.path());
        const std::size_t close = text.find('}');
        if (text.rfind("{Options:", 0) != 0 ||
            text.substr(0, close).find("COMPLEX") == std::string::npos)
            continue;
        // MAG and ANGLE have no symbolic derivative: such a file can only run incrementally.
        if (text.find("MAG(") != std::string::npos || text.find("ANGLE(") != std::string::npos)
            continue;
        TempDir dir;
        std::map<std::string, double> answers[2];
        int k = 0;
        for (const char* method : {"SYMBOLIC", "INCREMENTAL"}) {
            writeFile(dir / entry.path().filename(), withJacobian(text, method));
            TranscriptHost host;
            const Outcome run = solveFile(dir / entry.path().filename());
            ASSERT_TRUE(run.ok) << entry.path() << " " << method << "\n" << host.log;
            answers[k++] = run.values;
        }
        ASSERT_EQ(answers[0].size(), answers[1].size()) << entry.path();
        for (const auto& [name, value] : answers[0])
            EXPECT_NEAR(value, answers[1].at(name), 1e-7 * (1 + std::fabs(value)))
                << entry.path() << " " << name;
        ++checked;
    }
    EXPECT_GE(checked, 1);
}

TEST(ComplexMode, FoldingErrorInADerivativeStopsTheListing)
{
    // Without automatic simplification the equation keeps SQRT(-4) unfolded; its
    // derivative is folded all the same, in real arithmetic, and fails.
    TempDir dir;
    writeFile(dir / "r.alg", "x = 2;\ny*SQRT(-4) = x;\n");
    TranscriptHost host;
    SolverOptions options;
    options.autoSimplify = 0;
    EXPECT_FALSE(solveFile(dir / "r.alg", options).ok);
    EXPECT_NE(host.log.find(" in Equation 2"), std::string::npos) << host.log;
    EXPECT_NE(host.log.find("Jacobian Incorrect or Incomplete"), std::string::npos) << host.log;
    EXPECT_EQ(host.log.find("Solving..."), std::string::npos) << host.log;
}

} // namespace
