// Modes "UI"/"UR": the update file a solved run writes, a later run that starts from it,
// and a run that has nothing to update.
#include "TranscriptHost.h"

#include "CVarnel.h"
#include "UpdateFile.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace varnel::test;

namespace {

double solutionOf(CVarnel& solver, const std::string& name)
{
    for (int i = 0; i < solver.variableCount(); ++i)
        if (name == solver.variableName(i))
            return solver.variableValue(i);
    return std::nan("");
}

TEST(UpdateModes, ASecondRunStartsFromTheUpdateFile)
{
    TempDir dir;
    std::string path = (dir / "roots.alg").string();
    // Two roots; the starting value picks the negative one.
    writeFile(dir / "roots.alg", "x^2 = 4;\ny = x + 10;\nx \xBB -3;\n");
    TranscriptHost host;
    ASSERT_TRUE(host.run(path, "UI")) << host.log;
    EXPECT_NE(host.log.find("Saving Solution to File:  " + (dir / "roots.UPD").string()),
              std::string::npos)
        << host.log;
    const std::string update = readFile(dir / "roots.UPD");
    EXPECT_NE(update.find("x\xBB-2"), std::string::npos) << update;
    EXPECT_NE(update.find("\ny\xBB"), std::string::npos) << update;

    // Without its starting value the file alone starts between 0.1 and 1: the positive root.
    writeFile(dir / "roots.alg", "x^2 = 4;\ny = x + 10;\n");
    SolverOptions options;
    CVarnel fresh;
    fresh.setOptions(&options);
    ASSERT_TRUE(fresh.solve(path.data(), "S"));
    EXPECT_NEAR(solutionOf(fresh, "x"), 2.0, 1e-6);

    // "UR" starts from the update file: the negative root again, and the file rewritten.
    CVarnel resumed;
    resumed.setOptions(&options);
    ASSERT_TRUE(resumed.solve(path.data(), "UR"));
    EXPECT_NEAR(solutionOf(resumed, "x"), -2.0, 1e-6);
    EXPECT_NEAR(solutionOf(resumed, "y"), 8.0, 1e-6);
    EXPECT_EQ(readFile(dir / "roots.alg"), "x^2 = 4;\ny = x + 10;\n");
}

TEST(UpdateModes, UpdateFileReadsBackExactly)
{
    // Values a short format would round must come back bit for bit; names of the file
    // that are no variables of the run are passed over.
    const std::vector<std::pair<std::string, double>> values = {{"a", 1.0 / 3.0},
                                                                {"b", -2.5e-7},
                                                                {"c1", 1.2345678901234567e+40},
                                                                {"d", -123456789.125},
                                                                {"e", 0.0}};
    varnel::RunContext written;
    for (const auto& [name, value] : values)
        written.set.variables.add(name, value);
    written.set.variables.add("gone", 4.0);
    TempDir dir;
    writeFile(dir / "m.UPD", varnel::updateFileText(written.set.variables));

    varnel::RunContext read;
    for (const auto& [name, value] : values)
        read.set.variables.add(name, 99.0);
    TranscriptHost host;
    ASSERT_TRUE(varnel::readUpdateFile(read, (dir / "m.UPD").string())) << host.log;
    for (const auto& [name, value] : values)
        EXPECT_EQ(
            read.set.variables.values[static_cast<std::size_t>(read.set.variables.find(name))],
            value)
            << name;
    EXPECT_NE(host.log.find(": 5 values"), std::string::npos) << host.log;
}

TEST(UpdateModes, NothingIsUpdatedWithoutASolution)
{
    struct Case {
        const char* name;
        const char* equations;
        const char* mode;
    };
    const Case cases[] = {
        {"no real root, UI", "x^2 = -1;\n", "UI"},
        {"no real root, UR", "x^2 = -1;\n", "UR"},
        {"not enough equations", "x + y = 1;\n", "UI"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "m.alg", c.equations);
        writeFile(dir / "m.UPD", "x \xBB 5;\n"); // an earlier update stays as it was
        TranscriptHost host;
        EXPECT_FALSE(host.run((dir / "m.alg").string(), c.mode)) << c.name;
        EXPECT_NE(host.log.find("\nSolve problem before updating<BEEP>"), std::string::npos)
            << c.name << "\n"
            << host.log;
        EXPECT_EQ(readFile(dir / "m.UPD"), "x \xBB 5;\n") << c.name;
    }
}

TEST(UpdateModes, UnreadableUpdateFileFailsTheRun)
{
    TempDir dir;
    writeFile(dir / "m.alg", "x = 1;\n");
    writeFile(dir / "m.UPD", "x \xBB (1 + ;\n");
    TranscriptHost host;
    EXPECT_FALSE(host.run((dir / "m.alg").string(), "UR"));
    EXPECT_NE(host.log.find("cannot be read"), std::string::npos) << host.log;
    EXPECT_EQ(host.log.find("Solving..."), std::string::npos) << host.log;
}

} // namespace
