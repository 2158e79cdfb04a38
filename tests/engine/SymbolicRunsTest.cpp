// Constrained optimisation, estimation and the complex form end to end through the solver
// object: answers against closed forms (the Lagrange conditions solved by hand, the
// straight-line least-squares formulas, the complex-mode solution of the same circuit)
// and the refusals with their messages.
#include "TranscriptHost.h"

#include "CVarnel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

using namespace varnel::test;

namespace {

const std::string kReal = "{Options: 20 -10 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 REAL}\n";
const std::string kComplex = "{Options: 20 -10 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 COMPLEX}\n";

struct Outcome {
    bool ok = false;
    std::map<std::string, double> values;
    std::string log;
};

Outcome run(const std::filesystem::path& path, const std::string& mode,
            const std::string& list = {})
{
    TranscriptHost host;
    CVarnel solver;
    SolverOptions options;
    if (!list.empty()) {
        options.listFile.chars = list.c_str();
        options.listFile.length = static_cast<std::intptr_t>(list.size());
        options.listFileCount = 1;
    }
    solver.setOptions(&options);
    std::string buffer = path.string();
    Outcome out;
    out.ok = solver.solve(buffer.data(), mode.c_str());
    for (int i = 0; i < solver.variableCount(); ++i)
        out.values[solver.variableName(i)] = solver.variableValue(i);
    out.log = host.log;
    return out;
}

std::string multiplier(int i)
{
    return "\xEC" + std::to_string(i);
}
std::string slack(int i)
{
    return "\xE4" + std::to_string(i);
}

TEST(ConstrainedOptimization, EqualityAndInequalitiesMeetTheLagrangeConditions)
{
    TempDir dir;
    // min x^2 + y^2 on x + y = 1: x = y = 1/2, multiplier -1 (2x + lambda = 0).
    writeFile(dir / "eq.alg", kReal + "x^2 + y^2;\nx + y = 1;\n");
    Outcome r = run(dir / "eq.alg", "KFK");
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_NEAR(r.values.at("x"), 0.5, 1e-12);
    EXPECT_NEAR(r.values.at("y"), 0.5, 1e-12);
    EXPECT_NEAR(r.values.at(multiplier(2)), -1.0, 1e-12);
    EXPECT_FALSE(readFile(dir / "eq.KTK").empty());
    EXPECT_FALSE(readFile(dir / "eq.SJC").empty());

    // min (x-3)^2 + (y-2)^2 with x + y < 4 (active: x = 5/2, y = 3/2, multiplier 1) and
    // x > 0 as equation 3 (inactive: multiplier 0, slack^2 = x).
    writeFile(dir / "ineq.alg", kReal + "(x-3)^2 + (y-2)^2;\nx + y < 4;\nx > 0;\n");
    r = run(dir / "ineq.alg", "KFK");
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_NEAR(r.values.at("x"), 2.5, 1e-9);
    EXPECT_NEAR(r.values.at("y"), 1.5, 1e-9);
    EXPECT_NEAR(r.values.at(multiplier(2)), 1.0, 1e-9);
    EXPECT_NEAR(r.values.at(slack(2)), 0.0, 1e-6);
    EXPECT_NEAR(r.values.at(multiplier(3)), 0.0, 1e-9);
    EXPECT_NEAR(std::pow(r.values.at(slack(3)), 2), 2.5, 1e-9);
}

TEST(ConstrainedOptimization, FenceExampleMatchesItsClosedForm)
{
    TempDir dir;
    std::filesystem::copy(std::filesystem::path(VARNEL_SOURCE_DIR) / "examples/fence_design.alg",
                          dir / "fence.alg");
    const Outcome r = run(dir / "fence.alg", "KFK");
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_NEAR(r.values.at("w"), 6.0, 1e-9);
    EXPECT_NEAR(r.values.at("h"), 50.0 / 6.0, 1e-9);
    EXPECT_NEAR(r.values.at(multiplier(2)), -1.0 / 3.0, 1e-9);
    EXPECT_NEAR(r.values.at(multiplier(3)), 7.0 / 9.0, 1e-9);
    EXPECT_NEAR(r.values.at(multiplier(4)), 0.0, 1e-9);
    EXPECT_NEAR(std::pow(r.values.at(slack(4)), 2), 35.0 / 3.0, 1e-9);
}

// Published test problems of constrained optimisation, solved to tolerance 1e-8 and
// checked against their published optima. HS21 starts inside the feasible region (its
// bounds alone would start it at the corner x1 = x2 = 50); its inactive constraints drive
// their multipliers, and with them the pivots fixed at the start, to zero.
TEST(ConstrainedOptimization, PublishedProblemsReachTheirOptima)
{
    using Point = std::map<std::string, double>;
    struct Problem {
        const char* name;
        std::string text;
        Point optimum;
        double (*objective)(const Point&);
        double minimum;
    };
    const std::string options = "{Options: 30 -8 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 REAL}\n";
    const Problem problems[] = {
        {"HS21",
         "0.01*x1^2 + x2^2 - 100;\n10*x1 - x2 > 10;\nx1 > 2;\nx1 < 50;\nx2 > -50;\n"
         "x2 < 50;\nx1 \xBB 3;\nx2 \xBB 1;\n",
         {{"x1", 2.0}, {"x2", 0.0}},
         [](const Point& p) {
             return 0.01 * p.at("x1") * p.at("x1") + p.at("x2") * p.at("x2") - 100;
         },
         -99.96},
        {"HS35",
         "9 - 8*x1 - 6*x2 - 4*x3 + 2*x1^2 + 2*x2^2 + x3^2 + 2*x1*x2 + 2*x1*x3;\n"
         "x1 + x2 + 2*x3 < 3;\nx1 > 0;\nx2 > 0;\nx3 > 0;\n",
         {{"x1", 4.0 / 3.0}, {"x2", 7.0 / 9.0}, {"x3", 4.0 / 9.0}},
         [](const Point& p) {
             const double a = p.at("x1"), b = p.at("x2"), c = p.at("x3");
             return 9 - 8 * a - 6 * b - 4 * c + 2 * a * a + 2 * b * b + c * c + 2 * a * b +
                    2 * a * c;
         },
         1.0 / 9.0},
        {"HS28 (equality)",
         "(x1 + x2)^2 + (x2 + x3)^2;\nx1 + 2*x2 + 3*x3 = 1;\n",
         {{"x1", 0.5}, {"x2", -0.5}, {"x3", 0.5}},
         [](const Point& p) {
             return std::pow(p.at("x1") + p.at("x2"), 2) + std::pow(p.at("x2") + p.at("x3"), 2);
         },
         0.0},
        {"inactive constraint",
         "(x - 1)^2 + (y - 2)^2;\nx + y < 10;\n",
         {{"x", 1.0}, {"y", 2.0}},
         [](const Point& p) { return std::pow(p.at("x") - 1, 2) + std::pow(p.at("y") - 2, 2); },
         0.0},
    };
    for (const Problem& problem : problems) {
        SCOPED_TRACE(problem.name);
        TempDir dir;
        writeFile(dir / "p.alg", options + problem.text);
        const Outcome r = run(dir / "p.alg", "KFK");
        ASSERT_TRUE(r.ok) << r.log;
        EXPECT_NE(r.log.find("Solution Found!"), std::string::npos) << r.log;
        for (const auto& [name, value] : problem.optimum)
            EXPECT_NEAR(r.values.at(name), value, 1e-7) << name;
        EXPECT_NEAR(problem.objective(r.values), problem.minimum, 1e-9);
    }
}

// A stationary point of the Lagrangian with an active inequality whose multiplier is
// negative is no minimum: the run keeps it but warns, naming the inequality. Multipliers
// are the hand-solved Lagrange conditions; equalities, inactive inequalities and true
// minima give no warning.
TEST(ConstrainedOptimization, ActiveInequalityWithNegativeMultiplierIsWarnedOf)
{
    const std::string options = "{Options: 30 -8 NEWTON SYMBOLIC 1 SEQUENTIAL 0.001 0.1 REAL}\n";
    const std::string hs21 =
        "0.01*x1^2 + x2^2 - 100;\n10*x1 - x2 > 10;\nx1 > 2;\nx1 < 50;\nx2 > -50;\nx2 < 50;\n";
    std::string fence =
        readFile(std::filesystem::path(VARNEL_SOURCE_DIR) / "examples/fence_design.alg");
    struct Case {
        const char* name;
        std::string text;
        std::vector<int> warned;             // equations named in a warning, in order
        std::map<std::string, double> point; // the stationary point the run reaches
    };
    const Case cases[] = {
        // From the bounds' corner (50, 50) to the corner (2, 10): grad f = (0.04, 20) =
        // lambda2*(10, -1) + lambda3*(1, 0) gives lambda2 = -20.
        {"HS21 from its bounds",
         options + hs21,
         {2},
         {{"x1", 2},
          {"x2", 10},
          {"\xEC"
           "2",
           -20}}},
        {"HS21 from (3, 1)", options + hs21 + "x1 \xBB 3;\nx2 \xBB 1;\n", {}, {{"x2", 0}}},
        {"HS35",
         options + "9 - 8*x1 - 6*x2 - 4*x3 + 2*x1^2 + 2*x2^2 + x3^2 + 2*x1*x2 + 2*x1*x3;\n"
                   "x1 + x2 + 2*x3 < 3;\nx1 > 0;\nx2 > 0;\nx3 > 0;\n",
         {},
         {{"x1", 4.0 / 3.0}, {"x2", 7.0 / 9.0}, {"x3", 4.0 / 9.0}}},
        {"fence", fence, {}, {{"w", 6}}},
        // An equality's multiplier has no sign to keep (here -1).
        {"equality",
         options + "x^2 + y^2;\nx + y = 1;\n",
         {},
         {{"\xEC"
           "2",
           -1}}},
        {"inactive", options + "(x - 1)^2 + (y - 2)^2;\nx + y < 10;\n", {}, {{"x", 1}}},
        // -(x - 4)^2 on 1 < x < 3: at x = 3 (equation 3, "at most") 2 + lambda3 = 0 is the
        // top of the objective's range, the point the run reaches from its default start.
        {"maximum-like corner",
         options + "-(x - 4)^2;\nx > 1;\nx < 3;\n",
         {3},
         {{"x", 3},
          {"\xEC"
           "3",
           -2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeFile(dir / "p.alg", c.text);
        const Outcome r = run(dir / "p.alg", "KFK");
        ASSERT_TRUE(r.ok) << r.log;
        EXPECT_NE(r.log.find("Solution Found!"), std::string::npos) << r.log;
        for (const auto& [name, value] : c.point)
            EXPECT_NEAR(r.values.at(name), value, 1e-7) << name;
        std::vector<int> warned;
        for (std::size_t at = r.log.find("Warning: equation "); at != std::string::npos;
             at = r.log.find("Warning: equation ", at + 1))
            warned.push_back(std::stoi(r.log.substr(at + 18)));
        EXPECT_EQ(warned, c.warned) << r.log;
    }
    TempDir dir;
    writeFile(dir / "p.alg", options + hs21);
    EXPECT_NE(run(dir / "p.alg", "KFK")
                  .log.find("Warning: equation 2, 10.0000000*x1-x2>10.0000000, is active and its "
                            "multiplier -20 has the wrong sign for a minimum:\nthe point found "
                            "is a stationary point but not a constrained minimum (the objective "
                            "decreases into the feasible region);\nother starting values may "
                            "lead to the minimum"),
              std::string::npos);
}

std::string number(double v)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

TEST(Estimation, ExactDataRecoversTheModelsParameters)
{
    TempDir dir;
    std::string list = "t y\n";
    for (double t : {0.0, 0.5, 1.0, 1.5, 2.0, 3.0})
        list += number(t) + " " + number(2.0 * std::exp(0.5 * t)) + "\n";
    list += "\n"; // an empty line adds nothing
    writeFile(dir / "m.LST", list);
    writeFile(dir / "m.alg", kReal + "y = a*EXP(b*t);\na \xBB 1.5;\nb \xBB 0.4;\n");
    const Outcome r = run(dir / "m.alg", "ALR", (dir / "m.LST").string());
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_NEAR(r.values.at("a"), 2.0, 1e-9);
    EXPECT_NEAR(r.values.at("b"), 0.5, 1e-9);
}

TEST(Estimation, NoisyLineMatchesTheClosedFormFit)
{
    TempDir dir;
    std::vector<double> xs, ys;
    std::string list = "X Y\n";
    for (int i = 0; i < 12; ++i) {
        const double x = 0.7 * i - 2.0;
        const double noise = 0.3 * std::sin(7.1 * i + 0.4); // deterministic scatter
        xs.push_back(x);
        ys.push_back(1.25 - 0.8 * x + noise);
        list += number(x) + "\t" + number(ys.back()) + "\n";
    }
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const double n = static_cast<double>(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        sx += xs[i];
        sy += ys[i];
        sxx += xs[i] * xs[i];
        sxy += xs[i] * ys[i];
    }
    const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    const double intercept = (sy - slope * sx) / n;

    writeFile(dir / "line.LST", list);
    writeFile(dir / "line.alg", kReal + "Y = p + q*X;\n");
    const Outcome r = run(dir / "line.alg", "ALR", (dir / "line.LST").string());
    ASSERT_TRUE(r.ok) << r.log;
    EXPECT_NEAR(r.values.at("p"), intercept, 1e-10);
    EXPECT_NEAR(r.values.at("q"), slope, 1e-10);
}

TEST(Estimation, ParabolaThroughAMeasurementAtZeroMatchesTheNormalEquations)
{
    // X = 0 makes 0^2 in the model: its derivatives must not take LN(0).
    TempDir dir;
    const double xs[] = {0, 1, 2, 3, 4, 5};
    const double ys[] = {1.1, 2.9, 9.2, 18.7, 33.4, 50.8};
    std::string list = "X Y\n";
    double m[3][4] = {};
    for (int i = 0; i < 6; ++i) {
        list += number(xs[i]) + " " + number(ys[i]) + "\n";
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] += std::pow(xs[i], r + c);
            m[r][3] += ys[i] * std::pow(xs[i], r);
        }
    }
    const auto det = [&](int replaced) {
        auto at = [&](int r, int c) { return m[r][c == replaced ? 3 : c]; };
        return at(0, 0) * (at(1, 1) * at(2, 2) - at(1, 2) * at(2, 1)) -
               at(0, 1) * (at(1, 0) * at(2, 2) - at(1, 2) * at(2, 0)) +
               at(0, 2) * (at(1, 0) * at(2, 1) - at(1, 1) * at(2, 0));
    };
    writeFile(dir / "q.LST", list);
    writeFile(dir / "q.alg", kReal + "Y = c0 + c1*X + c2*X^2;\n");
    Outcome r = run(dir / "q.alg", "ALR", (dir / "q.LST").string());
    ASSERT_TRUE(r.ok) << r.log;
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(r.values.at("c" + std::to_string(k)), det(k) / det(-1), 1e-9) << k;

    // A model undefined at a measurement is refused, naming the case.
    writeFile(dir / "ln.alg", kReal + "Y = c0 + c1*LN(X);\n");
    r = run(dir / "ln.alg", "ALR", (dir / "q.LST").string());
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.log.find("with the values of case 1 of the list file"), std::string::npos) << r.log;
    EXPECT_FALSE(std::filesystem::exists(dir / "ln.SJC"));
}

TEST(Estimation, BadListFilesAreRefusedWithTheirMessage)
{
    struct Case {
        const char* name;
        const char* list; // nullptr: no list file attached
        const char* message;
    };
    const Case cases[] = {
        {"none", nullptr, "Estimation needs a list file of measurements: none is attached"},
        {"missing column", "X Y\n1 2\n3\n", "List file line 3 has 1 values for 2 names"},
        {"extra column", "X Y\n1 2 5\n", "List file line 2 has 3 values for 2 names"},
        {"not a number", "X Y\n1 two\n", "List file line 2: \"two\" is not a number"},
        {"unknown name", "X Z\n1 2\n", "List file name Z is not a variable of the equations"},
        {"no values", "X Y\n\n", " has no values"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFile(dir / "e.alg", kReal + "Y = p + q*X;\n");
        std::string list;
        if (c.list != nullptr) {
            writeFile(dir / "e.LST", c.list);
            list = (dir / "e.LST").string();
        }
        const Outcome r = run(dir / "e.alg", "ALR", list);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_NE(r.log.find(c.message), std::string::npos) << c.name << "\n" << r.log;
        EXPECT_FALSE(std::filesystem::exists(dir / "e.SJC")) << c.name;
    }
}

TEST(ComplexForm, ConvertedFileSolvesInRealModeLikeTheComplexOne)
{
    TempDir dir;
    std::filesystem::copy(std::filesystem::path(VARNEL_SOURCE_DIR) / "examples/ac_bridge_afc.alg",
                          dir / "ac.alg");
    const Outcome complexRun = run(dir / "ac.alg", "S");
    ASSERT_TRUE(complexRun.ok) << complexRun.log;
    const Outcome conversion = run(dir / "ac.alg", "AFC");
    ASSERT_TRUE(conversion.ok) << conversion.log;
    const std::string converted = readFile(dir / "ac.SJC");
    ASSERT_EQ(converted.rfind(kReal.substr(0, kReal.size() - 1), 0), 0u) << converted;
    writeFile(dir / "real.alg", converted);
    const Outcome realRun = run(dir / "real.alg", "S");
    ASSERT_TRUE(realRun.ok) << realRun.log;
    // Complex mode names the parts "r" and "i"; the conversion "" and "_im".
    for (const char* v : {"Zp", "I", "VL"}) {
        EXPECT_NEAR(realRun.values.at(v), complexRun.values.at(std::string(v) + "r"), 1e-9) << v;
        EXPECT_NEAR(realRun.values.at(std::string(v) + "_im"),
                    complexRun.values.at(std::string(v) + "i"), 1e-9)
            << v;
    }
    EXPECT_NEAR(realRun.values.at("I"), 72.0 / 37.0, 1e-12);
    EXPECT_NEAR(realRun.values.at("I_im"), 12.0 / 37.0, 1e-12);
}

TEST(ComplexForm, StartingValuesLeaveAVariableComplex)
{
    // x^2 = 3 + 4j from x = 2 (+ a small imaginary part): the root 2 + j.
    TempDir dir;
    writeFile(dir / "root.alg", kComplex + "x*x = 3 + \xDF"
                                           "4;\nx \xBB 2;\n");
    const Outcome complexRun = run(dir / "root.alg", "S");
    ASSERT_TRUE(complexRun.ok) << complexRun.log;
    EXPECT_NEAR(complexRun.values.at("xr"), 2.0, 1e-9);
    EXPECT_NEAR(complexRun.values.at("xi"), 1.0, 1e-9);
    ASSERT_TRUE(run(dir / "root.alg", "AFC").ok);
    writeFile(dir / "real.alg", readFile(dir / "root.SJC"));
    const Outcome realRun = run(dir / "real.alg", "S");
    ASSERT_TRUE(realRun.ok) << realRun.log;
    EXPECT_NEAR(realRun.values.at("x"), 2.0, 1e-9);
    EXPECT_NEAR(realRun.values.at("x_im"), 1.0, 1e-9);
}

TEST(ComplexForm, RefusalsSaveNothing)
{
    const std::pair<const char*, const char*> cases[] = {
        {"z^0.5 = 2;\n", "Non Positive Integer Power "},
        {"z^(-1) = 2;\n", "Non Positive Integer Power "},
        {"z^w = 2;\nw = 3;\n", "Variable Complex Power "},
        {"LN(z) = 1;\n", " Not Implemented"},
    };
    for (const auto& [body, message] : cases) {
        TempDir dir;
        writeFile(dir / "c.alg", kComplex + body);
        const Outcome r = run(dir / "c.alg", "AFC");
        EXPECT_FALSE(r.ok) << body;
        EXPECT_NE(r.log.find(message), std::string::npos) << body << r.log;
        EXPECT_FALSE(std::filesystem::exists(dir / "c.SJC")) << body;
    }
}

} // namespace
