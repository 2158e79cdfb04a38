// The symbolic modes through the solver object: the exported files against layouts
// written by hand, minima found by mode "O" against their closed forms, derived files
// that solve to the original solution, and the failures of unwritable products.
#include "TranscriptHost.h"

#include "CVarnel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <unistd.h>

using namespace varnel::test;

namespace {

/// One solver object over a scratch folder; the values of the last run by name.
class SymbolicRun {
public:
    SymbolicRun() = default;

    bool run(const std::string& name, const std::string& mode, const SolverOptions& options = {})
    {
        m_values.clear();
        m_solver.setOptions(&options);
        std::string buffer = (m_dir / name).string();
        const bool ok = m_solver.solve(buffer.data(), mode.c_str());
        for (int i = 0; i < m_solver.variableCount(); ++i)
            m_values[m_solver.variableName(i)] = m_solver.variableValue(i);
        return ok;
    }

    double operator[](const std::string& name) const
    {
        auto it = m_values.find(name);
        if (it == m_values.end()) {
            ADD_FAILURE() << "no variable " << name;
            return std::nan("");
        }
        return it->second;
    }

    std::filesystem::path file(const std::string& name) const { return m_dir / name; }
    void write(const std::string& name, const std::string& text) { writeFile(m_dir / name, text); }
    std::string read(const std::string& name) const { return readFile(m_dir / name); }
    void copyExample(const std::string& name)
    {
        std::filesystem::copy_file(std::filesystem::path(VARNEL_SOURCE_DIR) / "examples" / name,
                                   m_dir / name);
    }

private:
    TempDir m_dir;
    CVarnel m_solver;
    std::map<std::string, double> m_values;
};

struct ExportCase {
    const char* name;
    const char* mode;
    const char* equations;
    const char* expected; // file under tests/data/symbolic
};

std::string caseName(const ::testing::TestParamInfo<ExportCase>& p)
{
    return p.param.name;
}

class ExportLayout : public ::testing::TestWithParam<ExportCase> {};

TEST_P(ExportLayout, MatchesHandWrittenFile)
{
    const ExportCase& c = GetParam();
    SymbolicRun run;
    run.write("model.alg", c.equations);
    ASSERT_TRUE(run.run("model.alg", c.mode));
    EXPECT_EQ(run.read("model.SJC"), readFile(dataPath(std::string("symbolic/") + c.expected)));
    EXPECT_EQ(run.read("model.alg"), c.equations);
}

INSTANTIATE_TEST_SUITE_P(
    Exports, ExportLayout,
    ::testing::Values(ExportCase{"OneEquationJacobian", "ASJ", "2*x = 3;\n", "jacobian_one.txt"},
                      ExportCase{"InequalityKeepsRelation", "ASJ", "x + y > 1;\nx - y = 0;\n",
                                 "jacobian_inequality.txt"},
                      ExportCase{"LongLinearizedEquationBroken", "ASL",
                                 "a+b+c+d+e+f+g+h+i+j+k+l = 1;\n", "linearized_long.txt"},
                      ExportCase{"TransposedPerVariable", "AST", "2*x + 3*y = 1;\nx - y = 0;\n",
                                 "transposed.txt"}),
    caseName);

TEST(SymbolicModes, ModeOFindsTheMinimaOfTheExamples)
{
    SymbolicRun run;
    run.copyExample("minimum_bowl.alg");
    ASSERT_TRUE(run.run("minimum_bowl.alg", "O"));
    // 2(x-1) + y = 0 and 4(y+3) + x = 0.
    EXPECT_NEAR(run["x"], 20.0 / 7.0, 1e-10);
    EXPECT_NEAR(run["y"], -26.0 / 7.0, 1e-10);

    run.copyExample("rosenbrock.alg");
    ASSERT_TRUE(run.run("rosenbrock.alg", "O"));
    EXPECT_NEAR(run["x"], 1.0, 1e-9);
    EXPECT_NEAR(run["y"], 1.0, 1e-9);
}

TEST(SymbolicModes, ModeOFindsPublishedMinima)
{
    struct Case {
        const char* objective;
        double x0, y0; // start
        double x, y;   // minimum
    };
    const Case cases[] = {
        // Beale's function
        {"(1.5-x+x*y)^2 + (2.25-x+x*y^2)^2 + (2.625-x+x*y^3)^2", 2.5, 0.3, 3.0, 0.5},
        // Booth's function
        {"(x+2*y-7)^2 + (2*x+y-5)^2", 0.5, 0.5, 1.0, 3.0},
        // Himmelblau's function, one start near each of its four minima
        {"(x^2+y-11)^2 + (x+y^2-7)^2", 3.2, 2.2, 3.0, 2.0},
        {"(x^2+y-11)^2 + (x+y^2-7)^2", -2.6, 3.3, -2.805118086952745, 3.131312518250573},
        {"(x^2+y-11)^2 + (x+y^2-7)^2", -3.5, -3.0, -3.779310253377747, -3.283185991286170},
        {"(x^2+y-11)^2 + (x+y^2-7)^2", 3.8, -1.6, 3.584428340330492, -1.848126526964404},
        // a quadratic with a Hessian that is not diagonal: 6x + 2y = 4, 2x + 4y = -6
        {"3*x^2 + 2*x*y + 2*y^2 - 4*x + 6*y", 0.0, 0.0, 1.4, -2.2},
    };
    for (const Case& c : cases) {
        SymbolicRun run;
        char text[256];
        std::snprintf(text, sizeof text, "{Options: 100 -12}\n%s;\nx \xbb %g;\ny \xbb %g;\n",
                      c.objective, c.x0, c.y0);
        run.write("f.alg", text);
        ASSERT_TRUE(run.run("f.alg", "O")) << text;
        EXPECT_NEAR(run["x"], c.x, 1e-9) << text;
        EXPECT_NEAR(run["y"], c.y, 1e-9) << text;
    }
    // The Jacobian stage's last line ends before the solution's reading starts.
    SymbolicRun run;
    run.write("f.alg", "(x-1)^2 + (y+2)^2;\n");
    TranscriptHost host;
    ASSERT_TRUE(host.run(run.file("f.alg").string(), "O"));
    EXPECT_NE(host.log.find("\nSymbolic Jacobian Found!\nReading Equations...\n"),
              std::string::npos)
        << host.log;
}

TEST(SymbolicModes, DerivedFilesSolveToTheOriginalSolution)
{
    SymbolicRun run;
    // The symbolic Jacobian of an objective is an equation file like any other.
    run.write("bowl.alg", "(x-2)^2 + (x*y-3)^2 + y^2;\n");
    ASSERT_TRUE(run.run("bowl.alg", "ASJ"));
    run.write("gradient.alg", run.read("bowl.SJC"));
    SolverOptions tight;
    tight.toleranceExponent = -12;
    tight.maxIterations = 50;
    ASSERT_TRUE(run.run("gradient.alg", "S", tight));
    const double x = run["x"], y = run["y"];
    EXPECT_NEAR(2 * (x - 2) + 2 * (x * y - 3) * y, 0.0, 1e-9);
    EXPECT_NEAR(2 * (x * y - 3) * x + 2 * y, 0.0, 1e-9);

    // Simplification: the saved set is shorter and solves the same.
    run.copyExample("simplify_long.alg");
    ASSERT_TRUE(run.run("simplify_long.alg", "AFS"));
    const std::string simplified = run.read("simplify_long.SJC");
    EXPECT_LT(simplified.size() + 40, run.read("simplify_long.alg").size());
    run.write("simplified.alg", simplified);
    ASSERT_TRUE(run.run("simplified.alg", "S", tight));
    EXPECT_NEAR(run["x"], 4.5, 1e-10);
    EXPECT_NEAR(run["y"], 13.5, 1e-10);

    // The symbolic linearizations solve for the changes at their operating point: for
    // x*y = 2, x + y = 3 at (1, 1.5) "SS" gives no change and "SR" the Newton step (0, 0.5).
    for (const auto& [mode, dy] : {std::pair{"ASS", 0.0}, std::pair{"ASR", 0.5}}) {
        run.write("lin.alg", "x*y = 2;\nx + y = 3;\nx \xbb 1;\ny \xbb 1.5;\n");
        ASSERT_TRUE(run.run("lin.alg", mode)) << mode;
        run.write("step.alg", run.read("lin.SJC"));
        ASSERT_TRUE(run.run("step.alg", "S", tight)) << mode;
        EXPECT_NEAR(run["\xe4x"], 0.0, 1e-12) << mode;
        EXPECT_NEAR(run["\xe4y"], dy, 1e-12) << mode;
        EXPECT_EQ(run["y"], 1.5) << mode;
    }

    // Elimination: the saved set has the same solution as the user's.
    const std::string original = "{Options: 50 -12}\ny \x85 2*x + 1;\nx*y = 3;\nx \xbb 0.8;\n";
    run.write("elim.alg", original);
    ASSERT_TRUE(run.run("elim.alg", "E"));
    EXPECT_EQ(run.read("elim.alg"), original);
    run.write("eliminated.alg", run.read("elim.SJC"));
    ASSERT_TRUE(run.run("eliminated.alg", "S"));
    EXPECT_NEAR(run["x"], 1.0, 1e-10); // 2x^2 + x - 3 = 0 from x = 0.8
    EXPECT_NEAR(run["y"], 3.0, 1e-10);
}

TEST(SymbolicModes, UnwritableProductFailsAndLeavesTheUserFile)
{
    const std::string equations = "x^2 = 2;\n";
    {
        SymbolicRun run;
        run.write("model.alg", equations);
        std::filesystem::create_directory(run.file("model.SJC"));
        TranscriptHost host;
        EXPECT_FALSE(host.run(run.file("model.alg").string(), "ASJ"));
        EXPECT_NE(host.log.find("\nUnable to open file for output"), std::string::npos) << host.log;
        EXPECT_EQ(run.read("model.alg"), equations);
        EXPECT_TRUE(std::filesystem::is_directory(run.file("model.SJC")));
        // A save that cannot be written does not announce the file as saved.
        host.clear();
        EXPECT_FALSE(host.run(run.file("model.alg").string(), "AFS"));
        EXPECT_NE(host.log.find("\nUnable to open file for output"), std::string::npos) << host.log;
        EXPECT_EQ(host.log.find("Equations Saved"), std::string::npos) << host.log;
    }
    if (::geteuid() != 0) { // permissions do not bind the superuser
        SymbolicRun run;
        run.write("model.alg", equations);
        std::filesystem::permissions(run.file(""), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::remove);
        TranscriptHost host;
        EXPECT_FALSE(host.run(run.file("model.alg").string(), "ASJ"));
        EXPECT_NE(host.log.find("Unable to open file for output"), std::string::npos) << host.log;
        std::filesystem::permissions(run.file(""), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add);
        EXPECT_EQ(run.read("model.alg"), equations);
        EXPECT_FALSE(std::filesystem::exists(run.file("model.SJC")));
    }
}

TEST(SymbolicModes, ComplexSetsAreNotSavedAsAnotherSystem)
{
    const std::string options =
        "{Options: 20 -10 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 COMPLEX}\n";
    for (const char* mode : {"AFS", "E", "AI"}) {
        SymbolicRun run;
        const std::string complex = options + "V = 10;\nZ = 5 + \xdf"
                                              "5;\nV = Z*I;\n";
        run.write("c.alg", complex);
        TranscriptHost host;
        EXPECT_FALSE(host.run(run.file("c.alg").string(), mode)) << mode;
        EXPECT_NE(host.log.find("\nComplex equations cannot be saved as they are: convert them "
                                "to real equations first (Advanced - Complex, mode AFC)"),
                  std::string::npos)
            << host.log;
        EXPECT_FALSE(std::filesystem::exists(run.file("c.SJC"))) << mode;
        EXPECT_EQ(run.read("c.alg"), complex);

        // Real equations in complex mode save and solve as before.
        run.write("r.alg", "{Options: 20 -10 NEWTON INCREMENTAL 1 SEQUENTIAL 0.001 0.1 COMPLEX}\n"
                           "x = 2;\nP = MAG(x + 1 + 0*x);\n");
        ASSERT_TRUE(run.run("r.alg", mode)) << mode;
        run.write("saved.alg", run.read("r.SJC"));
        ASSERT_TRUE(run.run("saved.alg", "S")) << mode;
        EXPECT_NEAR(run["P"], 3.0, 1e-9) << mode;
    }
}

TEST(SymbolicModes, IncrementalJacobianCannotBeExported)
{
    SymbolicRun run;
    const std::string equations = "{Options: 20 -6 NEWTON INCREMENTAL}\nx^2 = 2;\n";
    run.write("model.alg", equations);
    TranscriptHost host;
    EXPECT_FALSE(host.run(run.file("model.alg").string(), "ASJ"));
    EXPECT_NE(
        host.log.find("\nThe symbolic Jacobian is needed: set the Jacobian method to SYMBOLIC"),
        std::string::npos)
        << host.log;
    EXPECT_FALSE(std::filesystem::exists(run.file("model.SJC")));
    EXPECT_EQ(run.read("model.alg"), equations);
}

} // namespace
