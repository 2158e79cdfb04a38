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
        {"--mode Q " + file, 1},                        // unknown mode
        {"--mode F " + (dir / "none.alg").string(), 1}, // missing file
        {"--mode '' " + file, 2},                       // empty mode is bad usage
        {"", 2},                                        // no file
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
    for (const char* word : {"--mode",
                             "--method",
                             "--jacobian",
                             "--iterations",
                             "--tolerance",
                             "--repetitions",
                             "--delta-j",
                             "--delta-t",
                             "--guess-min",
                             "--guess-max",
                             "--simplify",
                             "--no-simplify",
                             "--auto-homotopy",
                             "--groups",
                             "--no-groups",
                             "--show-iterations",
                             "--show-derivatives",
                             "--show-results",
                             "--no-show-results",
                             "--list",
                             "--list-count",
                             "DDIT",
                             "KFK",
                             "ASJ",
                             "W1",
                             "--graph-param",
                             "--graph-param-from",
                             "--graph-param-to",
                             "--graph-param-steps",
                             "--graph-fft",
                             "UI",
                             "UR"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;
}

} // namespace

namespace {

TEST(Cli, SymbolicModesPrintTheFileTheyWrote)
{
    TempDir dir;
    const auto file = dir / "bowl.alg";
    writeFile(file, "(x-1)^2 + (y+2)^2;\n");
    const Outcome o = runCli("--mode O " + file.string());
    ASSERT_EQ(o.status, 0) << o.out;
    const std::string tail = "x=1\ny=-2\n" + (dir / "bowl.SJC").string() + "\n";
    ASSERT_GE(o.out.size(), tail.size());
    EXPECT_EQ(o.out.substr(o.out.size() - tail.size()), tail) << o.out;
    const std::string quiet = runCli("--no-solution --mode ASJ " + file.string()).out;
    EXPECT_NE(quiet.substr(quiet.size() - 9), "bowl.SJC\n") << quiet;
}

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
        if (name.rfind("graph_", 0) == 0) { // a graph run: its command is in its comment
            const std::string text = readFile(dir / name);
            const std::size_t at = text.find("varnel-cli ");
            ASSERT_NE(at, std::string::npos) << name;
            std::string arguments = text.substr(at + 11, text.find('\n', at) - at - 11);
            arguments = replaceAll(arguments, " " + name, " " + file);
            const Outcome o = runCli(arguments);
            EXPECT_EQ(o.status, 0) << name << "\n" << o.out;
            EXPECT_NE(o.out.find("\n" + (dir / entry.path().stem()).string() + ".PRN\n"),
                      std::string::npos)
                << o.out;
        } else if (name == "equilibrium_pressures.alg") { // a list-file run
            const std::string list = (dir / "equilibrium_pressures.LST").string();
            EXPECT_EQ(runCli("--mode US --list " + list + " --list-count 5 " + file).status, 0)
                << name;
        } else if (name == "rc_transient.alg" || name == "tank_draining.alg") {
            // stepped through time: every step solves, none says "Solution Found!"
            const Outcome o = runCli("--mode DDIT " + file);
            EXPECT_EQ(o.status, 0) << name << "\n" << o.out;
            EXPECT_NE(o.out.find("  50 "), std::string::npos) << name;
        } else if (name == "integral_equation.alg") {
            const Outcome o = runCli("--mode DDDS " + file);
            EXPECT_EQ(o.status, 0) << name << "\n" << o.out;
            EXPECT_NE(o.out.find("Solution Found!"), std::string::npos) << name;
        } else if (name == "spring_fit.alg" || name == "fence_design.alg") {
            const std::string list = (dir / "spring_fit.LST").string();
            const Outcome o =
                runCli(name == "spring_fit.alg" ? "--mode ALR --list " + list + " " + file
                                                : "--mode KFK " + file);
            EXPECT_EQ(o.status, 0) << name << "\n" << o.out;
            EXPECT_NE(o.out.find("Solution Found!"), std::string::npos) << name;
        } else {
            // Minimisations are solved through their gradient.
            const bool minimisation = name == "minimum_bowl.alg" || name == "rosenbrock.alg";
            const Outcome o = runCli((minimisation ? "--mode O " : "") + file);
            EXPECT_EQ(o.status, 0) << name << "\n" << o.out;
            EXPECT_NE(o.out.find("Solution Found!"), std::string::npos) << name;
        }
        ++solved;
    }
    EXPECT_GE(solved, 15);
}

} // namespace

namespace {

TEST(Cli, ModesWithRequestsNeedTheirAnswersAndPrintTheirProduct)
{
    TempDir dir;
    writeFile(dir / "wave.alg", "v = 2*cos(t);\nw = 0;\n");
    const std::string file = (dir / "wave.alg").string();
    const std::string base = (dir / "wave").string();
    const std::string graph = "--mode G --graph-x t --graph-from 0 ";
    const std::string period = graph + "--graph-to 6.283185307179586 ";
    const std::string columns = " --fft-time t --fft-re v --fft-im w --fft-to 2 ";
    struct Case {
        std::string arguments;
        int status;
        std::string product; // the path printed after the library's text, "" for none
    };
    const Case cases[] = {
        {"--mode G " + file, 2, ""},               // no --graph-x
        {"--mode W0 --fft-time t " + file, 2, ""}, // columns missing
        {"--mode W1" + columns + file, 2, ""},     // no --fft-file
        {period + "--graph-steps 8 " + file, 0, base + ".PRN"},
        {"--mode W0" + columns + file, 0, base + ".FFT"}, // the table of that run
        {period + "--graph-steps 8 --no-solution " + file, 0, ""},
        {period + "--graph-steps 0 " + file, 1, ""}, // refused by the library
        {graph + "--graph-to 0 " + file, 1, ""},     // From = To
        {period + "--graph-param v --graph-param-steps 0 " + file, 1, ""},
        {period + "--graph-steps 8 --graph-fft " + file, 0, base + ".FFT"},
        {"--mode W1 --fft-file " + base + ".FFT" + columns + file, 0, base + "-spectrum.FFT"},
        {"--mode UI " + file, 1, ""}, // more variables than equations
    };
    for (const Case& c : cases) {
        const Outcome o = runCli(c.arguments);
        EXPECT_EQ(o.status, c.status) << c.arguments << "\n" << o.out;
        for (const char* extension : {".PRN", ".FFT", "-spectrum.FFT", ".UPD"}) {
            const std::string line = "\n" + base + extension + "\n";
            const bool printed = o.out.find(line) != std::string::npos;
            EXPECT_EQ(printed, c.product == base + extension) << c.arguments << "\n" << o.out;
        }
        if (!c.product.empty()) {
            EXPECT_TRUE(o.out.ends_with("\n" + c.product + "\n")) << o.out;
            EXPECT_TRUE(std::filesystem::exists(c.product)) << c.product;
        }
    }
    writeFile(dir / "root.alg", "x^2 = 9;\n");
    const Outcome update = runCli("--mode UI " + (dir / "root.alg").string());
    EXPECT_EQ(update.status, 0) << update.out;
    EXPECT_NE(update.out.find("\n" + (dir / "root.UPD").string() + "\n"), std::string::npos)
        << update.out;
}

} // namespace
