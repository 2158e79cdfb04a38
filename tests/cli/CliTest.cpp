// The headless host end to end: exit statuses, standard output carrying only the
// library's text, and the usage text.
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>

using namespace varnel::test;

namespace {

struct Outcome {
    int status;
    std::string out;
};

Outcome runCli(const std::string& arguments)
{
    const char* cli = std::getenv("VARNEL_CLI");
    if (cli == nullptr)
        return {-1, "VARNEL_CLI is not set"};
    const std::string command = std::string(cli) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {-1, ""};
    std::string out;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        out.append(buffer.data(), n);
    const int raw = pclose(pipe);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

TEST(Cli, ExitStatuses)
{
    TempDir dir;
    writeFile(dir / "m.alg", "{Options: 20}\nx = 1;\n");
    const std::string file = (dir / "m.alg").string();
    struct Case {
        std::string arguments;
        int status;
    };
    const Case cases[] = {
        {"--mode F " + file, 0},
        {"--mode Q " + file, 1},                     // unknown mode
        {"--mode F " + (dir / "none.alg").string(), 1}, // missing file
        {"--mode '' " + file, 2},                    // empty mode is bad usage
        {"", 2},                                     // no file
        {"--method FAST " + file, 2},
        {"--jacobian 3 " + file, 2},
        {"--iterations many " + file, 2},
        {"--no-such-option " + file, 2},
        {"--method 3 --jacobian INCREMENTAL --mode F " + file, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runCli(c.arguments).status, c.status) << c.arguments;
}

TEST(Cli, StandardOutputCarriesOnlyTheLibrarysText)
{
    TempDir dir;
    writeFile(dir / "m.alg", "x = 1;\n");
    const std::string file = (dir / "m.alg").string();
    EXPECT_EQ(runCli("--mode F " + file).out, "VARNEL Version 2.00\n" + file + "\n\n");
}

TEST(Cli, HelpNamesEveryOptionAndMode)
{
    const Outcome help = runCli("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* word :
         {"--mode", "--method", "--jacobian", "--iterations", "--tolerance", "--repetitions", "--delta-j",
          "--delta-t", "--guess-min", "--guess-max", "--simplify", "--no-simplify", "--auto-homotopy",
          "--groups", "--no-groups", "--show-iterations", "--show-derivatives", "--show-results",
          "--no-show-results", "--list", "--list-count", "DDIT", "KFK", "ASJ", "W1"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

} // namespace

namespace {

TEST(Cli, SolvesEveryBundledExample)
{
    TempDir dir;
    const auto examples = std::filesystem::path(VARNEL_SOURCE_DIR) / "examples";
    for (const auto& entry : std::filesystem::directory_iterator(examples))
        std::filesystem::copy(entry.path(), dir / entry.path().filename().string());
    int solved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(examples)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".alg")
            continue;
        const std::string file = (dir / name).string();
        if (name == "equilibrium_pressures.alg") { // a list-file run
            const std::string list = (dir / "equilibrium_pressures.LST").string();
            EXPECT_EQ(runCli("--mode US --list " + list + " --list-count 5 " + file).status, 0) << name;
        } else if (name == "spring_fit.alg" || name == "fence_design.alg") {
            const std::string list = (dir / "spring_fit.LST").string();
            const Outcome o = runCli(name == "spring_fit.alg" ? "--mode ALR --list " + list + " " + file
                                                              : "--mode KFK " + file);
            EXPECT_EQ(o.status, 0) << name << "\n" << o.out;
            EXPECT_NE(o.out.find("Solution Found!"), std::string::npos) << name;
        } else {
            const Outcome o = runCli(file);
            EXPECT_EQ(o.status, 0) << name << "\n" << o.out;
            EXPECT_NE(o.out.find("Solution Found!"), std::string::npos) << name;
        }
        ++solved;
    }
    EXPECT_GE(solved, 15);
}

} // namespace
