// varnel-cli against bad and hostile input: each case gives its files, its arguments, the
// exit status and messages it must produce, and which files it may write; every other
// file of the folder must keep its bytes, and no temporary file may be left behind. Then
// the same file solved by two runs at once, and a run interrupted while it writes.
#include "TranscriptHost.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace varnel::test;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1; // exit status; -1 when the program did not exit normally
    std::string out; // standard output and standard error
};

std::string cliPath()
{
    const char* cli = std::getenv("VARNEL_CLI");
    return cli != nullptr ? cli : "";
}

/// Runs varnel-cli in `folder` with `arguments` (a shell word list).
Outcome runIn(const fs::path& folder, const std::string& arguments)
{
    const std::string command =
        "cd '" + folder.string() + "' && '" + cliPath() + "' " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {};
    Outcome o;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        o.out.append(buffer.data(), n);
    const int raw = pclose(pipe);
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return o;
}

/// Every entry of a folder (not followed into links): its bytes, or the link's target.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink())
            files[name] = "link to " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            files[name] = readFile(entry.path());
        else
            files[name] = "folder";
    }
    return files;
}

std::string ieee14()
{
    return readFile(dataPath("ieee14.cf"));
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    return replaceAll(std::move(text), from, to);
}

struct Case {
    const char* name;
    std::map<std::string, std::string> files; // written before the run
    std::string arguments;
    int status;
    std::vector<std::string> messages; // each must appear in the output
    std::set<std::string> mayChange;   // files the run may write or remove
    std::set<std::string> absentAfter; // files that must not exist afterwards
    std::function<void(const fs::path&)> prepare = nullptr;
    std::vector<std::string> notInOutput = {};
};

std::string longRun(char c, std::size_t n)
{
    return std::string(n, c);
}

std::vector<Case> cases()
{
    const std::string ok = "x = 1;\n";
    const std::string name33 = longRun('n', 33);
    std::string twoThousandOne;
    for (int k = 0; k < 2001; ++k)
        twoThousandOne += "x = 1;\n";
    std::string garbage;
    std::mt19937 random(7);
    for (int k = 0; k < 4096; ++k)
        garbage.push_back(static_cast<char>(random() & 0xFF));
    std::string powers = "x = 2";
    while (powers.size() < 120)
        powers += "^0.5";
    powers += ";\n";
    const std::string deep = "x = " + longRun('(', 100000) + "1" + longRun(')', 100000) + ";\n";
    return {
        // The file named is the file solved; companions take its base name.
        {"named file wins over its .ALG",
         {{"model.txt", "x = 2;\n"}, {"model.ALG", "x = 3;\n"}},
         "model.txt",
         0,
         {"\nx=2\n"},
         {"model.PRN", "model.JAC"},
         {}},
        {"dup.alg is not dup.ALG",
         {{"dup.alg", "x = 4;\n"}, {"dup.ALG", "x = 5;\n"}},
         "dup.alg",
         0,
         {"\nx=4\n"},
         {"dup.PRN", "dup.JAC"},
         {}},
        {"a path without extension finds its .alg",
         {{"plain.alg", "x = 6;\n"}},
         "plain",
         0,
         {"\nx=6\n"},
         {"plain.PRN", "plain.JAC"},
         {}},
        {"a missing named file is not replaced by another",
         {{"gone.ALG", ok}},
         "gone.txt",
         1,
         {"Equation file gone.txt cannot be opened"},
         {},
         {"gone.PRN"}},
        // An input that is one of the run's own products is refused before any writing.
        {"working-copy name as input",
         {{"in.alg", ok}, {"in.TMP", "keep me"}},
         "in.TMP",
         1,
         {"\".TMP\"", "in.TMP is not read"},
         {},
         {"in.PRN"}},
        {"result-table name as input",
         {{"r.alg", ok}, {"r.PRN", "x = 1;\n"}},
         "r.PRN",
         1,
         {"\".PRN\""},
         {},
         {}},
        {"lower-case product name as input", {{"q.jac", ok}}, "q.jac", 1, {"\".JAC\""}, {}, {}},
        {"input that is a link to its own result table",
         {{"own.PRN", ok}},
         "own.alg",
         1,
         {"is the file", "own.PRN"},
         {},
         {},
         [](const fs::path& d) { fs::create_symlink("own.PRN", d / "own.alg"); }},
        // Products replace their name, never what a link of that name points to.
        {"result table that is a link",
         {{"lin.alg", ok}, {"victim.txt", "precious"}},
         "lin.alg",
         0,
         {"Solution Found!"},
         {"lin.PRN", "lin.JAC"},
         {},
         [](const fs::path& d) { fs::create_symlink("victim.txt", d / "lin.PRN"); }},
        {"a failed run leaves no stale products",
         {{"st.alg", "x = ;\n"}, {"st.JAC", "stale"}, {"st.PRN", "stale"}},
         "st.alg",
         1,
         {"Error ..."},
         {"st.JAC", "st.PRN"},
         {"st.JAC", "st.PRN"}},
        // Reading.
        {"unclosed comment",
         {{"c.alg", "x = 1;\n{ open\ny = 2;\n"}},
         "c.alg",
         1,
         {"Comment not closed\nline 2, column 1:\n{ open\n^"},
         {},
         {"c.PRN"}},
        {"tolerance 400 on the command line",
         {{"t.alg", ok}},
         "--tolerance 400 t.alg",
         2,
         {"--tolerance", "-99..10"},
         {},
         {"t.PRN"}},
        {"tolerance 11 on the command line",
         {{"t.alg", ok}},
         "--tolerance 11 t.alg",
         2,
         {"-99..10"},
         {},
         {}},
        {"Delta J 0 on the command line",
         {{"t.alg", ok}},
         "--delta-j 0 t.alg",
         2,
         {"--delta-j"},
         {},
         {}},
        {"tolerance 400 on the options line",
         {{"t.alg", "{Options: 10 400}\n" + ok}},
         "t.alg",
         1,
         {"Tolerance exponent 400 is outside -99..10 in the options line"},
         {},
         {"t.PRN"}},
        {"an exactly zero residual meets tolerance -99",
         {{"z.alg", ok}},
         "--tolerance -99 z.alg",
         0,
         {"Solution Found!", "\nx=1\n"},
         {"z.PRN", "z.JAC"},
         {}},
        {"unknown word on the options line",
         {{"u.alg", "{Options: 10 -3 NEWTN}\n" + ok}},
         "u.alg",
         0,
         {"Unknown word in the options line: NEWTN\n"},
         {"u.PRN", "u.JAC"},
         {}},
        {"iteration limit 0 on the options line",
         {{"u.alg", "{Options: 0}\n" + ok}},
         "u.alg",
         1,
         {"Iteration limit 0 in the options line is below 1"},
         {},
         {}},
        {"a run of powers longer than a line",
         {{"p.alg", powers}},
         "p.alg",
         0,
         {"Solution Found!"},
         {"p.PRN", "p.JAC"},
         {}},
        {"names that agree in 33 characters",
         {{"n.alg", name33 + "a = 1;\n" + name33 + "b = 2;\n"}},
         "n.alg",
         1,
         {"The names " + name33 + "a and " + name33 + "b agree in their first 33 characters"},
         {},
         {}},
        {"illegal character",
         {{"i.alg", "y = 1;\nx = 2 + \xE9;\n"}},
         "i.alg",
         1,
         {"Illegal Character #233\nline 2, column 9:\nx = 2 + \xE9;\n        ^"},
         {},
         {}},
        {"missing semicolon",
         {{"s.alg", "x = 1\ny = 2;\n"}},
         "s.alg",
         1,
         {"Char =\n\n Error: \";\" expected\nline 2, column 3:\ny = 2;\n  ^"},
         {},
         {}},
        {"numeric format error",
         {{"f.alg", "x = 12E;\n"}},
         "f.alg",
         1,
         {"Numeric Format Error\nline 1, column 5:\nx = 12E;\n    ^"},
         {},
         {}},
        {"a misspelt function is warned about",
         {{"w.alg", "x = SQRTT(16);\nSQRTT = 1;\n"}},
         "w.alg",
         0,
         {"Warning: SQRTT( is read as the product SQRTT*(", "line 1, column 5"},
         {"w.PRN", "w.JAC"},
         {}},
        {"an error inside a function file is shown in that file",
         {{"BAD.FUN", "BAD 2\n%1 + (%2 * ;\n"}, {"b.alg", "x = 1;\ny = BAD(x, 2);\n"}},
         "b.alg",
         1,
         {"Illegal Character #59\nBAD.FUN, line 2, column 12:\n%1 + (%2 * ;\n           ^",
          "Error in Function File\nline 2, column 14:\ny = BAD(x, 2);\n             ^"},
         {},
         {"b.PRN"}},
        {"an unclosed comment in a function file is shown where it opens",
         {{"Q.FUN", "Q 1\n{ open\n%1\n"}, {"q.alg", "x = Q(2);\n"}},
         "q.alg",
         1,
         {"Comment not closed\nQ.FUN, line 2, column 1:\n{ open\n^"},
         {},
         {"q.PRN"}},
        {"a mistake in the update file is shown in that file",
         {{"u.alg", "x*x = 4;\n"}, {"u.UPD", "x \xBB 1.5;\ny \xBB (2;\n"}},
         "--mode UR u.alg",
         1,
         {"Error: \")\" expected\nu.UPD, line 2, column 7:\ny \xBB (2;\n      ^",
          "Update file u.UPD cannot be read"},
         {},
         {"u.PRN"}},
        {"a range of starting values that is no number",
         {{"t.alg", ok}},
         "--guess-max nan t.alg",
         2,
         {"--guess-max"},
         {},
         {"t.PRN"}},
        {"a result table that cannot be replaced takes the listing with it",
         {{"a.alg", ok}},
         "a.alg",
         1,
         {"The result table a.PRN could not be written"},
         {},
         {"a.JAC"},
         [](const fs::path& d) { fs::create_directory(d / "a.PRN"); }},
        // Output.
        {"the line of the step that wrote the file it solves ends",
         {{"o.alg", "(x - 1)^2 + (y + 2)^2;\n"}},
         "--mode O o.alg",
         0,
         {"Symbolic Jacobian Found!\n"},
         {"o.SJC", "o.PRN", "o.JAC"},
         {},
         nullptr,
         {"Found!Reading"}},
        {"tiny values keep their digits",
         {{"d.alg", "x = 3e-20;\ny = 1.2345678901234567e-9;\nz = 0.1;\n"}},
         "d.alg",
         0,
         {"\nx=3e-20\ny=1.2345678901234566e-09\nz=0.1\n"},
         {"d.PRN", "d.JAC"},
         {}},
        {"messages end their lines",
         {{"e.alg", "x = SQRT(y);\ny = -1;\n"}},
         "e.alg",
         1,
         {"Square Root of Negative Number\n", "Error ...\n"},
         {},
         {},
         nullptr,
         {"Error ...Iter", "NumberError"}},
        // Repeated runs.
        {"list count 0",
         {{"l.alg", "x = 2*y;\n"}, {"l.LST", "y\n1\n"}},
         "--mode US --list l.LST --list-count 0 l.alg",
         2,
         {"--list-count"},
         {},
         {}},
        {"list count beyond the list",
         {{"l.alg", "x = 2*y;\n"}, {"l.LST", "y\n1\n2\n"}},
         "--mode US --list l.LST --list-count 5 l.alg",
         0,
         {"The list file holds 2 cases: 2 of 5 steps ran\n"},
         {"l.PRN", "l.JAC"},
         {}},
        {"missing list file",
         {{"l.alg", "x = 2;\n"}},
         "--mode US --list none.LST --list-count 2 l.alg",
         0,
         {"File none.LST Does Not Exist\n"},
         {"l.PRN", "l.JAC"},
         {}},
        {"a list file that is a pipe",
         {{"l.alg", "x = 2;\n"}},
         "--mode US --list pipe.LST --list-count 2 l.alg",
         0,
         {"File pipe.LST Does Not Exist\n"},
         {"l.PRN", "l.JAC"},
         {},
         [](const fs::path& d) { ASSERT_EQ(mkfifo((d / "pipe.LST").c_str(), 0600), 0); }},
        {"a table to transform that is a pipe",
         {{"g.alg", "y = 2*x;\n"}},
         "--mode W1 --fft-file pipe.FFT --fft-time x --fft-re y --fft-im y g.alg",
         1,
         {"File pipe.FFT Does Not Exist\n"},
         {},
         {},
         [](const fs::path& d) { ASSERT_EQ(mkfifo((d / "pipe.FFT").c_str(), 0600), 0); }},
        // Network files.
        {"a corrupt CDF number",
         {{"n.cf", replaced(ieee14(), "47.8", "4x.8")}, {"n.ALG", "old"}},
         "--from-cdf n.cf",
         1,
         {"line 6, column 45: \"4x.8\" is not a number"},
         {},
         {}},
        {"a truncated CDF file",
         {{"n.cf", ieee14().substr(0, 1500)}},
         "--from-cdf n.cf",
         1,
         {"the file ends"},
         {},
         {"n.ALG"}},
        // Cases that already behaved.
        {"binary garbage", {{"g.alg", garbage}}, "g.alg", 1, {"Error ..."}, {}, {"g.PRN"}},
        {"NUL bytes",
         {{"z.alg", std::string("x = 1;\0\0y = 2;\n", 15)}},
         "z.alg",
         1,
         {"Illegal Character #0"},
         {},
         {}},
        {"2001 equations",
         {{"m.alg", twoThousandOne}},
         "m.alg",
         1,
         {"Too Many Equations\nline 2001"},
         {},
         {}},
        {"deep nesting",
         {{"deep.alg", deep}},
         "deep.alg",
         1,
         {"Expression nested too deeply"},
         {},
         {}},
        {"long path", {}, longRun('a', 600) + ".alg", 1, {"Path too long"}, {}, {}},
        {"a file name as long as a folder entry may be",
         {{longRun('l', 251) + ".alg", ok}},
         longRun('l', 251) + ".alg",
         0,
         {"\nx=1\n"},
         {longRun('l', 251) + ".PRN", longRun('l', 251) + ".JAC"},
         {}},
        {"symlink loop",
         {},
         "loop.alg",
         1,
         {"cannot be opened"},
         {},
         {},
         [](const fs::path& d) { fs::create_symlink("loop.alg", d / "loop.alg"); }},
    };
}

TEST(HostileInput, EveryCaseEndsAsExpectedAndTouchesOnlyItsProducts)
{
    ASSERT_FALSE(cliPath().empty());
    for (const Case& c : cases()) {
        TempDir dir;
        for (const auto& [name, bytes] : c.files)
            writeFile(dir / name, bytes);
        if (c.prepare)
            c.prepare(dir.path());
        const auto before = snapshot(dir.path());
        const Outcome o = runIn(dir.path(), c.arguments);
        EXPECT_EQ(o.status, c.status) << c.name << "\n" << o.out;
        for (const std::string& m : c.messages)
            EXPECT_NE(o.out.find(m), std::string::npos) << c.name << ": no \"" << m << "\" in\n"
                                                        << o.out;
        for (const std::string& m : c.notInOutput)
            EXPECT_EQ(o.out.find(m), std::string::npos) << c.name << ": \"" << m << "\" in\n"
                                                        << o.out;
        const auto after = snapshot(dir.path());
        for (const auto& [name, content] : before)
            if (c.mayChange.count(name) == 0) {
                ASSERT_TRUE(after.count(name)) << c.name << ": " << name << " disappeared";
                EXPECT_TRUE(after.at(name) == content) << c.name << ": " << name << " changed";
            }
        for (const auto& [name, content] : after)
            EXPECT_TRUE(before.count(name) || c.mayChange.count(name))
                << c.name << ": the run left " << name;
        for (const std::string& name : c.absentAfter)
            EXPECT_FALSE(fs::exists(fs::symlink_status(dir / name)))
                << c.name << ": " << name << " exists";
    }
}

TEST(HostileInput, ResultTableInAReadOnlyFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop the superuser";
    TempDir dir;
    writeFile(dir / "ro.alg", "x = 1;\n");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const Outcome o = runIn(dir.path(), "ro.alg");
    fs::permissions(dir.path(), fs::perms::owner_all);
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.out.find("Unable to open file for output"), std::string::npos) << o.out;
}

TEST(HostileInput, TheSameFileSolvedTwiceAtOnce)
{
    // A chain of 40 equations, so that both runs are busy at the same time.
    std::string text = "x0 = 2;\n";
    for (int k = 1; k < 40; ++k)
        text += "x" + std::to_string(k) + " = x" + std::to_string(k - 1) + " + SIN(x" +
                std::to_string(k - 1) + ");\n";
    TempDir dir;
    writeFile(dir / "race.alg", text);
    const std::string expected = runIn(dir.path(), "race.alg").out;
    const auto lines = expected.substr(expected.find("\nx0="));
    ASSERT_NE(lines.find("\nx39="), std::string::npos) << expected;
    const std::string table = readFile(dir / "race.PRN");
    for (int round = 0; round < 15; ++round) {
        Outcome first, second;
        std::thread a([&] { first = runIn(dir.path(), "race.alg"); });
        std::thread b([&] { second = runIn(dir.path(), "race.alg"); });
        a.join();
        b.join();
        for (const Outcome* o : {&first, &second}) {
            ASSERT_EQ(o->status, 0) << "round " << round << "\n" << o->out;
            EXPECT_NE(o->out.find(lines), std::string::npos) << "round " << round << "\n" << o->out;
        }
        EXPECT_EQ(readFile(dir / "race.PRN"), table) << "round " << round;
    }
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"race.alg", "race.JAC", "race.PRN"}));
}

TEST(HostileInput, AnInterruptedRunLeavesNoPartialProduct)
{
    // Many list-file cases keep the run writing its result table for seconds.
    TempDir dir;
    std::string text = "x0 = 2*y;\n";
    for (int k = 1; k < 40; ++k)
        text += "x" + std::to_string(k) + " = x" + std::to_string(k - 1) + " + SIN(x" +
                std::to_string(k - 1) + ");\n";
    std::string list = "y\n";
    for (int k = 0; k < 200000; ++k)
        list += std::to_string(k) + "\n";
    writeFile(dir / "long.alg", text);
    writeFile(dir / "long.LST", list);
    writeFile(dir / "long.PRN", "from an earlier run\n");

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const std::string cli = cliPath();
    const std::string folder = dir.path().string();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        if (chdir(folder.c_str()) != 0)
            _exit(127);
        execl(cli.c_str(), cli.c_str(), "--mode", "US", "--list", "long.LST", "--list-count",
              "200000", "long.alg", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string output;
    bool signalled = false;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        output.append(buffer, static_cast<std::size_t>(n));
        // Interrupt once the table is being written: the steps have begun.
        if (!signalled && output.find("Solving...") != std::string::npos) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(child, SIGINT);
            signalled = true;
        }
    }
    close(out[0]);
    int raw = 0;
    waitpid(child, &raw, 0);
    ASSERT_TRUE(signalled) << output.substr(0, 2000);
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    EXPECT_NE(output.find("User inicira prekid.."), std::string::npos);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    // Neither a half-written table nor the earlier one, which no longer matches the run.
    EXPECT_EQ(names, (std::set<std::string>{"long.alg", "long.LST"}));
}

} // namespace
