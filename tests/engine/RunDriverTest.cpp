// Whole runs through the solver object's interface, compared with transcripts written
// by hand: banner, path, the mode dispatch, and the failures of bad input.
#include "TranscriptHost.h"

#include "CVarnel.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace varnel::test;

namespace {

struct TranscriptCase {
    const char* name;
    const char* mode;
    bool writeFile;       // write the equation file before the run
    const char* expected; // file under tests/data/rundriver
    bool result;
};

std::string caseName(const ::testing::TestParamInfo<TranscriptCase>& p)
{
    return p.param.name;
}

class RunDriverTranscript : public ::testing::TestWithParam<TranscriptCase> {};

TEST_P(RunDriverTranscript, MatchesExpected)
{
    const TranscriptCase& c = GetParam();
    TempDir dir;
    const auto file = dir / "model.alg";
    const std::string equations = "{Options: 20 -6}\nx = 1;\n";
    if (c.writeFile)
        writeFile(file, equations);

    TranscriptHost host;
    const bool result = host.run(file.string(), c.mode);

    std::string expected = readFile(dataPath(std::string("rundriver/") + c.expected));
    expected = replaceAll(expected, "@PATH@", file.string());
    expected = replaceAll(expected, "@BASE@", (dir / "model").string());
    EXPECT_EQ(host.log, expected);
    EXPECT_EQ(result, c.result);
    if (c.writeFile) {
        EXPECT_EQ(readFile(file), equations) << "the user's file must never change";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RunDriverTranscript,
    ::testing::Values(TranscriptCase{"ModeF", "F", true, "mode_f.txt", true},
                      TranscriptCase{"EmptyMode", "", true, "empty_mode.txt", false},
                      TranscriptCase{"UnknownMode", "Q", true, "unknown_mode.txt", false},
                      TranscriptCase{"MissingFile", "F", false, "missing_file.txt", false}),
    caseName);

TEST(RunDriver, PathLongerThanEveryBufferFailsCleanly)
{
    TempDir dir;
    const std::string path = (dir.path() / std::string(600, 'a')).string() + ".alg";
    TranscriptHost host;
    EXPECT_FALSE(host.run(path, "F"));
    std::string expected = readFile(dataPath("rundriver/long_path.txt"));
    EXPECT_EQ(host.log, replaceAll(expected, "@PATH@", path));
}

TEST(RunDriver, NullArgumentsAreRefused)
{
    TranscriptHost host;
    std::unique_ptr<CVarnelInterface> solver(getSolver(nullptr, TranscriptHost::window(), 1049));
    solver->setOutputCallback(nullptr);
    EXPECT_FALSE(solver->solve(nullptr, "F"));
    EXPECT_FALSE(solver->solve(nullptr, nullptr));
}

TEST(RunDriver, ModeFReadsTheOptionsLineWhateverTheExtensionCase)
{
    TempDir dir;
    writeFile(dir / "Model.ALG",
              "{Options: 20 -6 DISHONEST INCREMENTAL 2.5 SEQUENTIAL 0.01 0.5 COMPLEX}\nx=1;\n");
    CVarnel solver;
    SolverOptions options;
    solver.setOptions(&options);
    std::string path = (dir / "Model.alg").string();
    EXPECT_TRUE(solver.solve(path.data(), "F"));
    EXPECT_EQ(solver.context().settings.maxIterations, 20);
    EXPECT_EQ(solver.context().settings.toleranceExponent, -6);
    EXPECT_EQ(solver.context().settings.method, 2);
    EXPECT_EQ(solver.context().settings.jacobianMethod, 1);
    EXPECT_DOUBLE_EQ(solver.context().settings.guessMax, 2.5);
    EXPECT_DOUBLE_EQ(solver.context().settings.deltaJ, 0.01);
    EXPECT_DOUBLE_EQ(solver.context().settings.deltaT, 0.5);
    EXPECT_TRUE(solver.context().settings.complexMode);

    // The options line holds for its run only: the next run starts from the record.
    writeFile(dir / "Model.ALG", "x=1;\n");
    EXPECT_TRUE(solver.solve(path.data(), "F"));
    EXPECT_EQ(solver.context().settings.maxIterations, 10);
    EXPECT_FALSE(solver.context().settings.complexMode);
}

TEST(RunDriver, HomotopyWithoutOptionsLineRunsRobust)
{
    TempDir dir;
    writeFile(dir / "m.alg", "x=1;\n");
    CVarnel solver;
    SolverOptions options;
    options.method = 3;
    solver.setOptions(&options);
    std::string path = (dir / "m.alg").string();
    EXPECT_TRUE(solver.solve(path.data(), "F"));
    EXPECT_EQ(solver.context().settings.method, 1);
}

TEST(RunDriver, BaseNames)
{
    struct Case {
        const char* path;
        const char* base;
    };
    const Case cases[] = {
        {"/data/model.alg", "/data/model"},
        {"/data/model", "/data/model"},
        {"/data/v1.2/model", "/data/v1.2/model"}, // a dot in a folder is not an extension
        {"/data/v1.2/model.alg", "/data/v1.2/model"},
        {"model.tar.alg", "model.tar"}, // the last dot of the name
        {".alg", ""},
        {"relative/m.ALG", "relative/m"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CVarnel::baseNameOf(c.path), c.base) << c.path;
}

} // namespace

namespace {

TEST(RunDriver, AFolderOrAnEmptyFileIsNoEquationFile)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "folder.alg");
    for (const char* mode : {"F", "S"}) {
        TranscriptHost host;
        const std::string path = (dir / "folder.alg").string();
        EXPECT_FALSE(host.run(path, mode)) << mode;
        EXPECT_NE(host.log.find("Equation file " + path + " cannot be opened<BEEP>\nError ..."),
                  std::string::npos)
            << host.log;
    }
    writeFile(dir / "empty.alg", "{ only a comment }\n");
    TranscriptHost host;
    EXPECT_FALSE(host.run((dir / "empty.alg").string(), "S"));
    EXPECT_NE(host.log.find("\nNo equations to solve<BEEP>\nError ..."), std::string::npos)
        << host.log;
}

} // namespace
