// Differential and integral equations solved end to end through the solver object: values
// against the closed forms of the stepping schemes and of the quadrature rules, the
// bundled examples, and hostile input that must leave the user's file alone.
#include "TranscriptHost.h"

#include "CVarnel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

using namespace varnel::test;

namespace {

struct Outcome {
    bool ok = false;
    std::map<std::string, double> values;
    int variableCount = 0;
    std::vector<std::vector<double>> rows; // the result table without its header
    std::string log;
};

/// Writes `text` (after an options line) as base.alg in a fresh folder and runs `mode`.
Outcome solveText(TempDir& dir, const std::string& text, const std::string& mode, int steps = 10,
                  double deltaT = 0.1)
{
    writeFile(dir / "ode.alg", "{Options: 30 -12 NEWTON SYMBOLIC}\n" + text);
    SolverOptions options;
    options.repetitions = steps;
    options.deltaT = deltaT;
    options.showResults = 0;
    TranscriptHost host;
    CVarnel solver;
    solver.setOptions(&options);
    std::string path = (dir / "ode.alg").string();
    Outcome run;
    run.ok = solver.solve(path.data(), mode.c_str());
    run.variableCount = solver.variableCount();
    for (int i = 0; i < run.variableCount; ++i)
        run.values[solver.variableName(i)] = solver.variableValue(i);
    std::istringstream table(readFile(dir / "ode.PRN"));
    std::string line;
    std::getline(table, line); // header
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::vector<double> row;
        for (double v = 0; fields >> v;)
            row.push_back(v);
        if (!row.empty())
            run.rows.push_back(row);
    }
    run.log = host.log;
    return run;
}

const std::string kStart = "\xBB";

TEST(IntegrationModes, DecayMatchesTheSchemesClosedFormsAndOrders)
{
    // x' = -x from 1 to t = 1: backward Euler gives (1/(1+dt))^n, the trapezoidal rule
    // ((1 - dt/2)/(1 + dt/2))^n; halving dt halves the first error and quarters the second.
    struct Case {
        const char* mode;
        double factor10; // one step's factor with dt = 0.1
        double order;
    };
    for (const Case& c : {Case{"DDIB", 1.0 / 1.1, 1.0}, Case{"DDIT", 0.95 / 1.05, 2.0}}) {
        SCOPED_TRACE(c.mode);
        TempDir dir;
        const Outcome coarse =
            solveText(dir, "D(x, t) = -x;\nx " + kStart + " 1;\n", c.mode, 10, 0.1);
        ASSERT_TRUE(coarse.ok) << coarse.log;
        EXPECT_NEAR(coarse.values.at("x"), std::pow(c.factor10, 10), 1e-12);
        EXPECT_NEAR(coarse.values.at("t"), 1.0, 1e-12);
        EXPECT_EQ(coarse.variableCount, 2) << "the user's variables come back";
        ASSERT_EQ(coarse.rows.size(), 10u);
        EXPECT_NEAR(coarse.rows[0][1], 0.1, 1e-7);
        EXPECT_NEAR(coarse.rows[9][0], std::pow(c.factor10, 10), 1e-7);
        const Outcome fine =
            solveText(dir, "D(x, t) = -x;\nx " + kStart + " 1;\n", c.mode, 20, 0.05);
        ASSERT_TRUE(fine.ok) << fine.log;
        const double ratio = std::abs(coarse.values.at("x") - std::exp(-1.0)) /
                             std::abs(fine.values.at("x") - std::exp(-1.0));
        EXPECT_NEAR(std::log2(ratio), c.order, 0.1 * c.order);
    }
}

TEST(IntegrationModes, CoupledOscillatorFromAGivenStartTime)
{
    // x' = v, v' = -x: each trapezoidal step is a rotation by 2 ARCTAN(dt/2), so the energy
    // stays exactly 1; t starts where the starting value puts it.
    TempDir dir;
    const std::string text = "D(x, t) = v;\nD(v, t) = -x;\nx " + kStart + " 1;\nv " + kStart +
                             " 0;\nt " + kStart + " 2;\n";
    const Outcome run = solveText(dir, text, "DDIT", 40, 0.05);
    ASSERT_TRUE(run.ok) << run.log;
    const double angle = 40 * 2 * std::atan(0.025);
    EXPECT_NEAR(run.values.at("x"), std::cos(angle), 1e-10);
    EXPECT_NEAR(run.values.at("v"), -std::sin(angle), 1e-10);
    EXPECT_NEAR(run.values.at("t"), 4.0, 1e-10);
    ASSERT_EQ(run.rows.size(), 40u);
    for (const auto& row : run.rows) // columns x, t, v: the order the file names them
        EXPECT_NEAR(row[0] * row[0] + row[2] * row[2], 1.0, 1e-6);
}

TEST(IntegrationModes, EveryDigitOfTheStepAndTheStartCounts)
{
    // Delta T = 1/3 and a start of twelve digits: the printed .SJC keeps seven, the run all.
    const double dt = 1.0 / 3.0;
    const double x0 = 0.123456789012;
    TempDir dir;
    const Outcome run = solveText(dir, "D(x, t) = -x;\nx \xBB 0.123456789012;\n", "DDIB", 3, dt);
    ASSERT_TRUE(run.ok) << run.log;
    EXPECT_NEAR(run.values.at("x"), x0 / std::pow(1.0 + dt, 3), 1e-14);
    EXPECT_NEAR(run.values.at("t"), 1.0, 1e-14);
    const Outcome area = solveText(dir, "a = INT(ARG(s, s), LIM(1/3, 1));\n", "DDDT");
    ASSERT_TRUE(area.ok) << area.log;
    EXPECT_NEAR(area.values.at("a"), 4.0 / 9.0, 1e-14);
}

TEST(IntegrationModes, LotkaVolterraFollowsTheTrapezoidalStepsSolvedHere)
{
    // x' = 1.5x - xy, y' = -3y + xy from (10, 5): each step's two implicit equations solved
    // in the test by Newton's method with the exact 2x2 Jacobian.
    const double h = 0.05;
    const auto f = [](double x, double y) { return std::pair{1.5 * x - x * y, -3.0 * y + x * y}; };
    double x = 10.0, y = 5.0;
    for (int n = 0; n < 20; ++n) {
        const auto [fx, fy] = f(x, y);
        double u = x, w = y;
        for (int k = 0; k < 50; ++k) {
            const auto [gx, gy] = f(u, w);
            const double r1 = u - x - 0.5 * h * (gx + fx);
            const double r2 = w - y - 0.5 * h * (gy + fy);
            const double a = 1 - 0.5 * h * (1.5 - w), b = 0.5 * h * u;
            const double c = -0.5 * h * w, d = 1 - 0.5 * h * (-3.0 + u);
            const double det = a * d - b * c;
            u -= (d * r1 - b * r2) / det;
            w -= (a * r2 - c * r1) / det;
        }
        x = u;
        y = w;
    }
    TempDir dir;
    const Outcome run =
        solveText(dir, "D(x, t) = 1.5*x - x*y;\nD(y, t) = -3*y + x*y;\nx \xBB 10;\ny \xBB 5;\n",
                  "DDIT", 20, h);
    ASSERT_TRUE(run.ok) << run.log;
    EXPECT_NEAR(run.values.at("x"), x, 1e-9);
    EXPECT_NEAR(run.values.at("y"), y, 1e-9);
    EXPECT_NEAR(run.values.at("t"), 1.0, 1e-12);
}

TEST(IntegrationModes, IntegralEquations)
{
    struct Case {
        const char* mode;
        const char* text;
        const char* name;
        double expected;
    };
    const Case cases[] = {
        {"DDDT", "a = INT(ARG(1, s), LIM(0, 1));\n", "a", 1.0},
        {"DDDS", "INT(ARG(s^2, s), LIM(0, b)) = 9;\nb \xBB 2;\n", "b", 3.0},
        // ten trapezoids over s^2 on 0..b sum to b^3 (1/3 + 1/600)
        {"DDDT", "INT(ARG(s^2, s), LIM(0, b)) = 9;\nb \xBB 2;\n", "b",
         std::cbrt(9.0 / (1.0 / 3.0 + 1.0 / 600.0))},
        // rectangles take the left end points: h^3 (0 + 1 + ... + 81) with h = b/10
        {"DDDR", "INT(ARG(s^2, s), LIM(0, b)) = 9;\nb \xBB 2;\n", "b", std::cbrt(9.0 / 0.285)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.text);
        TempDir dir;
        const Outcome run = solveText(dir, c.text, c.mode);
        ASSERT_TRUE(run.ok) << run.log;
        EXPECT_NEAR(run.values.at(c.name), c.expected, 1e-9);
    }
}

TEST(IntegrationModes, BadInputFailsWithItsMessageAndTouchesNoFile)
{
    struct Case {
        const char* mode;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"DDIT", "x + y = 1;\nx - y = 0;\n", "There is no independent variable!"},
        {"DDIB", "D(x, t) = 1;\nD(y, u) = 1;\n", "Multiple Independent Variables Not Allowed"},
        {"DDIT", "D(x + y, t) = 1;\nx = y;\n", "Only Derivatives of Simple Variable Permitted"},
        {"DDIT", "D(x, 2*t) = 1;\n", "Independent Variable Expressions Not Allowed"},
        {"DDDT", "a = INT(s, LIM(0, 1));\n", "Integrand Incorrect"},
        {"DDDT", "a = INT(ARG(1, 2*s), LIM(0, 1));\n", "Variable of Integration Incorrect"},
        {"DDDT", "a = INT(ARG(1, s), 1);\n", "Integral Limit Syntax Incorrect"},
        {"DDIG", "D(x, t) = -x;\n", "Operation Not Implemented"},
        {"DDX", "D(x, t) = -x;\n", "Unknown mode"},
        {"DDIT", "D(x, t) = v;\nD(v, t) = -x;\nx \xBB 1;\n", "State v has no starting value"},
        {"DDIT", "D(v, t) = a - v;\na = INT(ARG(s, s), LIM(0, 1));\nv \xBB 1;\n",
         "\nIntegrals Not Allowed in Differential Equations\n<BEEP>"},
        {"DDIB", "D(t, t) = 1;\nt \xBB 0;\n",
         "\nDerivative of the Independent Variable Not Allowed\n<BEEP>"},
        {"DDIT", "D(x, t) = t;\nD(t, t) = 1;\nx \xBB 0;\nt \xBB 0;\n",
         "Derivative of the Independent Variable Not Allowed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + " " + c.text);
        TempDir dir;
        const Outcome run = solveText(dir, c.text, c.mode);
        EXPECT_FALSE(run.ok);
        EXPECT_NE(run.log.find(c.message), std::string::npos) << run.log;
        EXPECT_EQ(readFile(dir / "ode.alg"),
                  "{Options: 30 -12 NEWTON SYMBOLIC}\n" + std::string(c.text));
        int files = 0; // the equation file alone: no product, no temporary file
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
            ++files;
        EXPECT_EQ(files, 1);
    }
    TempDir dir;
    const Outcome none = solveText(dir, "D(x, t) = -x;\nx \xBB 1;\n", "DDIT", 0);
    EXPECT_FALSE(none.ok);
    EXPECT_NE(none.log.find("Number of Steps (Repetitions) must be at least 1, not 0"),
              std::string::npos)
        << none.log;
}

TEST(IntegrationModes, BundledExamplesAgreeWithTheirClosedForms)
{
    struct Case {
        const char* file;
        const char* mode;
        const char* name;
        double expected;
    };
    const Case cases[] = {
        // trapezoidal charging: v_n = 10 (1 - (0.95/1.05)^n), 50 steps
        {"rc_transient.alg", "DDIT", "v", 10.0 * (1.0 - std::pow(0.95 / 1.05, 50))},
        // SQRT(h) falls linearly; the trapezoidal rule follows it exactly: (2 - 0.25*5)^2
        {"tank_draining.alg", "DDIT", "h", 0.5625},
        {"integral_equation.alg", "DDDS", "b", 3.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        const auto source = std::filesystem::path(VARNEL_SOURCE_DIR) / "examples" / c.file;
        std::filesystem::copy(source, dir / c.file);
        TranscriptHost host;
        CVarnel solver;
        const SolverOptions options;
        solver.setOptions(&options);
        std::string path = (dir / c.file).string();
        ASSERT_TRUE(solver.solve(path.data(), c.mode)) << host.log;
        bool found = false;
        for (int i = 0; i < solver.variableCount(); ++i)
            if (std::string(solver.variableName(i)) == c.name) {
                EXPECT_NEAR(solver.variableValue(i), c.expected, 1e-9);
                found = true;
            }
        EXPECT_TRUE(found);
        EXPECT_EQ(readFile(dir / c.file), readFile(source));
    }
}

} // namespace
